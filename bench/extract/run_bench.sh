#!/usr/bin/env bash
# Throughput and peak memory of a whole extraction run of the built program, next to
# `wc -l` on the same files in the same run.
#
#   bench/extract/run_bench.sh [DURNO] [CORPUS_DIR] [ROUNDS]
#
# DURNO defaults to build/app/durno, CORPUS_DIR to /tmp/durno-bench (generated there on
# first use: 70 result files of 1400 steps, about 425 MB, the 50-key compound list and the
# file list), ROUNDS to 3. Each round runs `wc -l` and then the program, page-cached, with
# the dialogue's answers piped in (plain mode) and the screen transcript sent to
# /dev/null; the medians are reported. A last pair of runs compares the peak memory of one
# result file with that of a single file ten times larger.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
durno="${1:-$root/build/app/durno}"
corpus="${2:-/tmp/durno-bench}"
rounds="${3:-3}"
generator=/work/shared/bench/make_results.py
export LC_ALL=C

[ -x "$durno" ] || { echo "no program at $durno (build the durno target first)" >&2; exit 2; }
if [ ! -f "$corpus/bench70.xtr" ]; then
  echo "generating the corpus in $corpus ..."
  python3 "$generator" --files 70 --steps 1400 --out "$corpus" \
    --cpd "$corpus/bench50.cpd" --xtr "$corpus/bench70.xtr" --quiet
fi
files=("$corpus"/run[0-9][0-9].out)
bytes=$(cat "${files[@]}" | wc -c)
cat "${files[@]}" >/dev/null  # warm the page cache

# The answers: any key, quantity A, compounds from a file, the list, result files from a
# list, the list, the output name.
answers() { printf 'xA\nf\n%s\nl\n%s\n%s\n' "$1" "$2" "$3"; }

# Runs "$@" with stdin from $input, prints "seconds peak-RSS-KiB".
timed() {
  local input="$1"; shift
  /usr/bin/time -f '%e %M' -o /tmp/durno-bench.time "$@" <"$input" >/tmp/durno-bench.stdout
  cat /tmp/durno-bench.time
}

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

answers "$corpus/bench50.cpd" "$corpus/bench70.xtr" "$corpus/table" >"$corpus/answers"
: >"$corpus/wc.times"; : >"$corpus/durno.times"
for ((r = 1; r <= rounds; r++)); do
  timed /dev/null wc -l "${files[@]}" >>"$corpus/wc.times"
  timed "$corpus/answers" "$durno" >>"$corpus/durno.times"
done
rows=$(($(wc -l <"$corpus/table.dat") - 3))
wc_s=$(awk '{print $1}' "$corpus/wc.times" | median)
durno_s=$(awk '{print $1}' "$corpus/durno.times" | median)
wc_rss=$(awk '{print $2}' "$corpus/wc.times" | median)
durno_rss=$(awk '{print $2}' "$corpus/durno.times" | median)

echo "corpus: ${#files[@]} files, $bytes bytes, $rows rows; medians of $rounds rounds"
awk -v b="$bytes" -v s="$wc_s" -v m="$wc_rss" \
  'BEGIN {printf "wc -l   %7.3f s %9.1f MB/s                      peak RSS %6.1f MiB\n", s, b/s/1e6, m/1024}'
awk -v b="$bytes" -v s="$durno_s" -v m="$durno_rss" -v r="$rows" -v w="$wc_s" \
  'BEGIN {printf "durno   %7.3f s %9.1f MB/s %10.0f rows/s  peak RSS %6.1f MiB  (%.2f x wc -l throughput)\n", s, b/s/1e6, r/s, m/1024, w/s}'

# Peak memory must not grow with file size: one file, then one ten times longer.
single="$corpus/single"
if [ ! -f "$single/big01.out" ]; then
  python3 "$generator" --files 1 --steps 1400 --out "$single" --prefix small --quiet
  python3 "$generator" --files 1 --steps 14000 --out "$single" --prefix big --quiet
fi
for name in small01 big01; do
  printf ' 1 \r\n%s\r\n' "$single/$name.out" >"$single/$name.xtr"
  answers "$corpus/bench50.cpd" "$single/$name.xtr" "$single/$name-table" >"$single/$name.answers"
  read -r s rss < <(timed "$single/$name.answers" "$durno")
  size=$(wc -c <"$single/$name.out")
  awk -v n="$name" -v b="$size" -v s="$s" -v m="$rss" \
    'BEGIN {printf "single file %-8s %10d bytes %7.3f s  peak RSS %6.1f MiB\n", n, b, s, m/1024}'
done

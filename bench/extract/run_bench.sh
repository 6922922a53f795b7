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
# The generator lives in the shared folder beside the repository (or beside the folder of
# worktrees); DURNO_MAKE_RESULTS names it explicitly.
generator=${DURNO_MAKE_RESULTS:-}
for candidate in "$root/../shared" "$root/../../shared"; do
  [ -z "$generator" ] && [ -f "$candidate/bench/make_results.py" ] &&
    generator=$candidate/bench/make_results.py
done
export LC_ALL=C

[ -x "$durno" ] || { echo "no program at $durno (build the durno target first)" >&2; exit 2; }
if [ ! -f "$corpus/bench70.xtr" ]; then
  [ -n "$generator" ] || { echo "make_results.py not found: set DURNO_MAKE_RESULTS" >&2; exit 2; }
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

# Runs "$@" with stdin from $input, prints "wall-seconds peak-RSS-KiB cpu-seconds".
timed() {
  local input="$1"; shift
  /usr/bin/time -f '%e %M %U %S' -o /tmp/durno-bench.time "$@" <"$input" >/tmp/durno-bench.stdout
  awk '{print $1, $2, $3 + $4}' /tmp/durno-bench.time
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
wc_cpu=$(awk '{print $3}' "$corpus/wc.times" | median)
durno_cpu=$(awk '{print $3}' "$corpus/durno.times" | median)

echo "corpus: ${#files[@]} files, $bytes bytes, $rows rows; medians of $rounds rounds"
echo "(wall time, and CPU time = user + system, which a loaded machine disturbs less)"
report() {  # name wall cpu rss
  awk -v n="$1" -v b="$bytes" -v s="$2" -v c="$3" -v m="$4" -v r="$rows" \
    'BEGIN {printf "%-6s wall %6.3f s %7.1f MB/s %8.0f rows/s | cpu %6.3f s %7.1f MB/s | peak RSS %5.1f MiB\n",
                   n, s, b/s/1e6, r/s, c, b/(c > 0 ? c : 0.001)/1e6, m/1024}'
}
report "wc -l" "$wc_s" "$wc_cpu" "$wc_rss"
report "durno" "$durno_s" "$durno_cpu" "$durno_rss"
awk -v w="$wc_s" -v d="$durno_s" -v wc="$wc_cpu" -v dc="$durno_cpu" \
  'BEGIN {printf "durno / wc -l throughput: %.3f by wall time, %.3f by CPU time\n", w/d, (wc > 0 ? wc : 0.001)/dc}'

# Peak memory must not grow with file size: one file, then one ten times longer.
single="$corpus/single"
if [ ! -f "$single/big01.out" ]; then
  python3 "$generator" --files 1 --steps 1400 --out "$single" --prefix small --quiet
  python3 "$generator" --files 1 --steps 14000 --out "$single" --prefix big --quiet
fi
for name in small01 big01; do
  printf ' 1 \r\n%s\r\n' "$single/$name.out" >"$single/$name.xtr"
  answers "$corpus/bench50.cpd" "$single/$name.xtr" "$single/$name-table" >"$single/$name.answers"
  read -r s rss cpu < <(timed "$single/$name.answers" "$durno")
  size=$(wc -c <"$single/$name.out")
  awk -v n="$name" -v b="$size" -v s="$s" -v c="$cpu" -v m="$rss" \
    'BEGIN {printf "single file %-8s %10d bytes  wall %6.3f s  cpu %6.3f s  peak RSS %5.1f MiB\n", n, b, s, c, m/1024}'
done

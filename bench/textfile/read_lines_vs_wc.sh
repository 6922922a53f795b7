#!/usr/bin/env bash
# Line-reading throughput of the text-file layer against `wc -l` on the same page-cached
# file, interleaved round by round so both see the same machine load.
#
#   bench/textfile/read_lines_vs_wc.sh BUILD_DIR [ROUNDS] [FILE]
#
# FILE defaults to /tmp/durno-textfile-bench/run01.out, a result file of about 430 MB
# written by bench/corpus/make_results.py (115,000 steps) the first time it is needed. Results are
# medians over ROUNDS (default 7) of wall-clock MB/s (10^6 bytes per second).
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR [ROUNDS] [FILE]}
rounds=${2:-7}
file=${3:-/tmp/durno-textfile-bench/run01.out}
here=$(cd "$(dirname "$0")" && pwd)
generator=$here/../corpus/make_results.py
reader=$build/bench/textfile/durno_read_lines

if [ ! -f "$file" ]; then
  echo "generating $file"
  python3 "$generator" "$(dirname "$file")" --files 1 --steps 115000
fi
bytes=$(stat -c %s "$file")
cat "$file" > /dev/null  # into the page cache

# Prints "wall cpu" seconds of one run of the command given (cpu: user + system).
timed() {
  local TIMEFORMAT='%R %U %S'
  { time "$@" > /tmp/durno-read-lines.out; } 2>&1 | awk '{ print $1, $2 + $3 }'
}

wc_wall=() wc_cpu=() reader_wall=() reader_cpu=() inplace_wall=() inplace_cpu=()
for ((round = 1; round <= rounds; round++)); do
  read -r wall cpu < <(LC_ALL=C timed wc -l "$file")
  wc_wall+=("$wall") wc_cpu+=("$cpu")
  read -r wall cpu < <(timed "$reader" "$file")
  reader_wall+=("$wall") reader_cpu+=("$cpu")
  read -r wall cpu < <(timed "$reader" --in-place "$file")
  inplace_wall+=("$wall") inplace_cpu+=("$cpu")
done
lines=$(LC_ALL=C wc -l < "$file")
"$reader" "$file"

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
report() {  # name, wall seconds, cpu seconds, wc wall seconds, wc cpu seconds
  awk -v b="$bytes" -v name="$1" -v w="$2" -v c="$3" -v ww="$4" -v wc="$5" 'BEGIN {
    printf "%-9s wall %.3f s %6.0f MB/s (%3.0f%% of wc -l)   cpu %.3f s %6.0f MB/s (%3.0f%%)\n",
      name, w, b / w / 1e6, 100 * ww / w, c, b / c / 1e6, 100 * wc / c
  }'
}
echo "file: $bytes bytes, $lines lines; medians of $rounds interleaved rounds"
w=$(median "${wc_wall[@]}") c=$(median "${wc_cpu[@]}")
report "wc -l" "$w" "$c" "$w" "$c"
report readLine "$(median "${reader_wall[@]}")" "$(median "${reader_cpu[@]}")" "$w" "$c"
report "in place" "$(median "${inplace_wall[@]}")" "$(median "${inplace_cpu[@]}")" "$w" "$c"

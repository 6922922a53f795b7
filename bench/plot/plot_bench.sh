#!/usr/bin/env bash
# Time and peak memory of `durno --plot` on a table of 98,000 rows of 50 compounds from 70
# result files (the extraction benchmark's corpus), against the row number and against
# VAP, from the .dat and from the CSV; with a second program (an earlier build), the same
# for it, round by round, for a before and after.
#
#   bench/plot/plot_bench.sh [DURNO] [CORPUS_DIR] [ROUNDS] [EARLIER_DURNO]
#
# DURNO defaults to build/app/durno, CORPUS_DIR to /tmp/durno-bench (made by
# bench/corpus/corpus.sh on first use), ROUNDS to 5. Medians are reported.
set -euo pipefail

earlier="${4:-}"
# shellcheck source-path=SCRIPTDIR source=../corpus/corpus.sh
source "$(dirname "$0")/../corpus/corpus.sh"
for format in dat csv; do
  [ -f "$corpus/plot.$format" ] ||
    "$durno" --quiet -q A -C "$corpus/bench50.cpd" -L "$corpus/bench.xtr" --format "$format" \
      -o "$corpus/plot.$format" 2>/dev/null || true
done
cat "$corpus/plot.dat" "$corpus/plot.csv" >/dev/null  # warm the page cache

# Appends "wall-seconds peak-RSS-KiB" of one run of "$@" to the file $1, when it draws.
timed() {
  local times="$1"; shift
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f '%M' -o "$corpus/plot.time" "$@" >/dev/null 2>&1 || return 0
  end=$(date +%s%N)
  awk -v ns=$((end - start)) '{print ns / 1e9, $1}' "$corpus/plot.time" >>"$times"
}

programs=(now)
[ -n "$earlier" ] && programs+=(earlier)
cases=("row .dat|--plot $corpus/plot.dat" "VAP .dat|--plot $corpus/plot.dat --x VAP"
       "row .csv|--plot $corpus/plot.csv" "VAP .csv|--plot $corpus/plot.csv --x VAP")
rm -f "$corpus"/plot-*.times
for ((round = 0; round < rounds; round++)); do
  for at in "${!cases[@]}"; do
    for program in "${programs[@]}"; do
      binary=$durno; [ "$program" = earlier ] && binary=$earlier
      # shellcheck disable=SC2086 # the case's words are meant to split
      timed "$corpus/plot-$program-$at.times" "$binary" ${cases[$at]#*|} -o "$corpus/plot.svg"
    done
  done
done

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
printf '%-10s %-8s %10s %12s\n' case program "wall (s)" "peak (MiB)"
for at in "${!cases[@]}"; do
  for program in "${programs[@]}"; do
    times="$corpus/plot-$program-$at.times"
    # An earlier build that cannot draw the case (no --x, no CSV) is left out.
    [ -s "$times" ] || continue
    wall=$(cut -d' ' -f1 "$times" | median)
    peak=$(cut -d' ' -f2 "$times" | median)
    awk -v c="${cases[$at]%%|*}" -v p="$program" -v w="$wall" -v k="$peak" \
      'BEGIN { printf "%-10s %-8s %10.3f %12.1f\n", c, p, w, k / 1024 }'
  done
done

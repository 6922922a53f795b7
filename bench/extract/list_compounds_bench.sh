#!/usr/bin/env bash
# --list-compounds against an extraction of the same files: both read every line of the
# 70-file corpus of run_bench.sh with the default threads; the listing should take no
# longer. Medians of ROUNDS rounds, commands interleaved round by round.
#
#   bench/extract/list_compounds_bench.sh [DURNO] [CORPUS_DIR] [ROUNDS]
#
# The corpus is made as run_bench.sh makes it, when CORPUS_DIR has none.
set -euo pipefail

# shellcheck source-path=SCRIPTDIR source=../corpus/corpus.sh
source "$(dirname "$0")/../corpus/corpus.sh"
cd "$corpus"
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" > /dev/null 2>&1 || true
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
extract=() list=()
for ((round = 0; round < rounds; round++)); do
  extract+=("$(seconds "$durno" -q A -C bench50.cpd -L bench.xtr -o /tmp/list-bench-table --quiet)")
  list+=("$(seconds "$durno" --list-compounds -L bench.xtr)")
done
rm -f /tmp/list-bench-table.dat
echo "extraction       $(printf '%s\n' "${extract[@]}" | median) s"
echo "--list-compounds $(printf '%s\n' "${list[@]}" | median) s"

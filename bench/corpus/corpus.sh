# Sourced by the whole-run benchmarks: the defaults of their arguments and the corpus they
# share. Sets root, durno, corpus and rounds from the script's arguments
# [DURNO] [CORPUS_DIR] [ROUNDS] and defines make_corpus.
# shellcheck shell=bash

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
durno="${1:-$root/build/app/durno}"
corpus="${2:-/tmp/durno-bench}"
rounds="${3:-5}"
export LC_ALL=C
[ -x "$durno" ] || { echo "no program at $durno (build the durno target first)" >&2; exit 2; }
durno="$(cd "$(dirname "$durno")" && pwd)/$(basename "$durno")"

# Writes a corpus of `files` result files of `steps` steps to dir, with the compound list
# dir/bench50.cpd and the file list dir/bench.xtr: by the team's shared generator beside
# the project, or where that is missing by bench/corpus/make_results.py.
make_corpus() {
  local dir="$1" files="$2" steps="$3"
  mkdir -p "$dir"
  if [ -f "$root/../shared/bench/make_results.py" ]; then
    python3 "$root/../shared/bench/make_results.py" --files "$files" --steps "$steps" \
      --out "$dir" --cpd "$dir/bench50.cpd" --xtr "$dir/bench.xtr" --quiet
  else
    python3 "$root/bench/corpus/make_results.py" "$dir" --files "$files" --steps "$steps"
  fi
}

# The 70-file corpus of 1400 steps each (about 400 MB), made on first use.
if [ ! -f "$corpus/bench.xtr" ]; then
  echo "making the corpus in $corpus ..." >&2
  make_corpus "$corpus" 70 1400
fi

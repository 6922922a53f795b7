#!/usr/bin/env bash
# Throughput and peak memory of whole extraction runs of the built program, next to
# `wc -l` on the same files in the same run, commands interleaved round by round.
#
#   bench/extract/run_bench.sh [DURNO] [CORPUS_DIR] [ROUNDS]
#
# DURNO defaults to build/app/durno, CORPUS_DIR to /tmp/durno-bench, ROUNDS to 5. The
# corpus (70 result files of 1400 steps, about 400 MB, the 50-key compound list and the
# file list) is made there on first use by the team's shared generator,
# ../shared/bench/make_results.py beside the project, or where that is missing by
# bench/corpus/make_results.py. Page-cached. Each round times:
#   wc -l                 the floor of reading the lines
#   piped -j 1, -j 2, ... the dialogue with its answers piped in, screen to /dev/null,
#                         with 1, 2, ... the cores threads
#   command               the same extraction from the command line (default threads)
#   command csv           the same with --format csv: each step's own values, one row per
#                         step line, shortest numbers (its time is given against command's)
#   terminal              the dialogue typed in tmux (80x25), when tmux is installed: the
#                         answers are typed ahead, and the time is the program's own
# and the medians are reported, with the peak RSS. Wall times are taken to the
# microsecond around each command. A last pair of runs shows that memory does not grow
# with the size of a result file.
set -euo pipefail

# shellcheck source-path=SCRIPTDIR source=../corpus/corpus.sh
source "$(dirname "$0")/../corpus/corpus.sh"
files=("$corpus"/run[0-9][0-9].out)
bytes=$(cat "${files[@]}" | wc -c)
cat "${files[@]}" >/dev/null  # warm the page cache
cores=$(nproc)

printf '\nA\nf\n%s\nl\n%s\n%s\n' "$corpus/bench50.cpd" "$corpus/bench.xtr" "$corpus/piped" \
  >"$corpus/answers"

# Runs "$@" with stdin from $1; appends "wall-seconds peak-RSS-KiB cpu-seconds" to $2.
timed() {
  local input="$1" times="$2"; shift 2
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f '%M %U %S' -o "$corpus/time" "$@" <"$input" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  awk -v ns=$((end - start)) '{print ns / 1e9, $1, $2 + $3}' "$corpus/time" >>"$times"
}

# The dialogue in a real terminal: tmux runs a shell that times the program; the answers
# are typed ahead, so the time is the program's, from its start to its end.
typed() {
  local times="$1"
  rm -f "$corpus/typed.time"
  tmux -L durno-bench kill-server 2>/dev/null || true
  tmux -L durno-bench new-session -d -x 80 -y 25 \
    "cd '$corpus' && s=\$(date +%s%N) && /usr/bin/time -f '%M %U %S' -o '$corpus/typed.raw' '$durno'; \
     e=\$(date +%s%N); awk -v ns=\$((e - s)) '{print ns / 1e9, \$1, \$2 + \$3}' '$corpus/typed.raw' \
     >'$corpus/typed.part' && mv '$corpus/typed.part' '$corpus/typed.time'; sleep 1"
  tmux -L durno-bench send-keys " " "A" Enter "f" Enter "$corpus/bench50.cpd" Enter "l" Enter \
    "$corpus/bench.xtr" Enter "$corpus/typed" Enter
  for _ in $(seq 600); do [ -f "$corpus/typed.time" ] && break; sleep 0.05; done
  [ -f "$corpus/typed.time" ] || echo "the typed run did not end: $(tmux -L durno-bench capture-pane -p | tail -3)" >&2
  tmux -L durno-bench kill-server 2>/dev/null || true
  cat "$corpus/typed.time" >>"$times"
}

jobs=(1)
for ((j = 2; j <= cores && j <= 16; j *= 2)); do jobs+=("$j"); done
names=("wc -l")
for j in "${jobs[@]}"; do names+=("piped -j $j"); done
names+=("command" "command csv")
command -v tmux >/dev/null && names+=("terminal")
for name in "${names[@]}"; do : >"$corpus/${name// /_}.times"; done

for ((r = 1; r <= rounds; r++)); do
  timed /dev/null "$corpus/wc_-l.times" wc -l "${files[@]}"
  for j in "${jobs[@]}"; do timed "$corpus/answers" "$corpus/piped_-j_$j.times" "$durno" -j "$j"; done
  timed /dev/null "$corpus/command.times" "$durno" -q A -C "$corpus/bench50.cpd" \
    -L "$corpus/bench.xtr" -o "$corpus/command"
  timed /dev/null "$corpus/command_csv.times" "$durno" -q A -C "$corpus/bench50.cpd" \
    -L "$corpus/bench.xtr" --format csv -o "$corpus/command"
  command -v tmux >/dev/null && typed "$corpus/terminal.times"
done
cmp -s "$corpus/piped.dat" "$corpus/command.dat" || echo "the command line's table differs!"

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
rows=$(($(wc -l <"$corpus/piped.dat") - 3))
echo "corpus: ${#files[@]} files, $bytes bytes, $rows rows; $cores cores; medians of $rounds rounds"
wc_s=$(awk '{print $1}' "$corpus/wc_-l.times" | median)
piped_s=$(awk '{print $1}' "$corpus/piped_-j_${jobs[-1]}.times" | median)
for name in "${names[@]}"; do
  f="$corpus/${name// /_}.times"
  s=$(awk '{print $1}' "$f" | median)
  m=$(awk '{print $2}' "$f" | median)
  c=$(awk '{print $3}' "$f" | median)
  awk -v n="$name" -v b="$bytes" -v s="$s" -v c="$c" -v m="$m" -v w="$wc_s" -v p="$piped_s" \
    'BEGIN {printf "%-12s wall %6.3f s %7.1f MB/s (%5.1f%% of wc -l, %4.2f x piped) | cpu %6.3f s | peak RSS %5.1f MiB\n",
                   n, s, b/s/1e6, 100*w/s, s/p, c, m/1024}'
done

dat_s=$(awk '{print $1}' "$corpus/command.times" | median)
csv_s=$(awk '{print $1}' "$corpus/command_csv.times" | median)
awk -v d="$dat_s" -v c="$csv_s" 'BEGIN {printf "CSV / .dat wall time, command line: %.3f (at most 1.10 wanted)\n", c/d}'

# Peak memory must not grow with file size: one file, then one ten times longer.
single="$corpus/single"
if [ ! -f "$single/big/run01.out" ]; then
  make_corpus "$single/small" 1 1400
  make_corpus "$single/big" 1 14000
fi
for name in small big; do
  : >"$single/$name.times"
  for format in dat csv; do
    : >"$single/$name.times"
    timed /dev/null "$single/$name.times" "$durno" -q A -C "$corpus/bench50.cpd" \
      -L "$single/$name/bench.xtr" --format "$format" -o "$single/$name-table"
    read -r s rss cpu <"$single/$name.times"
    awk -v n="$name" -v f="$format" -v b="$(wc -c <"$single/$name/run01.out")" -v s="$s" -v m="$rss" \
      'BEGIN {printf "single file %-6s %s %10d bytes  wall %6.3f s  peak RSS %5.1f MiB\n", n, f, b, s, m/1024}'
  done
done

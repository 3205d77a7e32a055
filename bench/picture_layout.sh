#!/usr/bin/env bash
# What Graphviz's layout costs for the pictures kvrview draws, which sets the most it draws
# (src/view/picture_render.h): boards of N devices on the main path (each unlike its neighbours, so
# that --group joins none), of K linkers (each with four devices on three sub-paths, every linker a
# cluster of the graph), and of K linkers with 36 devices each (both bounds at once). Their DOT text
# from kvrview is laid out by `dot -Tsvg', the layout kvrview's library runs. Each row is the
# median of RUNS runs (default 3), cut off at 100 s. Usage: bench/picture_layout.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
[ -f build/build.ninja ] || cmake --preset default >/dev/null
cmake --build --preset default >/dev/null
command -v dot >/dev/null || { echo "no dot (Debian graphviz) to lay the graphs out"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

devices() {
  awk -v n="$1" 'BEGIN { print ";CFG-2.0"
    for (i = 0; i < n; i++) printf "\"d%d\" %s\n", i, (i % 2 ? "BYPASS006" : "QVARM901") }'
}
linkers() {
  awk -v n="$1" 'BEGIN { print ";CFG-2.0"
    for (k = 0; k < n; k++)
      printf "\"l%d\" SPL { \"a%d\" QVARM901 \"b%d\" BYPASS006 } { \"c%d\" QVARM902 } {} { \"e%d\" BYPASS004 }\n", k, k, k, k, k }'
}
# Both bounds at once: K linkers, each with nine devices on each of its four sub-paths.
full_linkers() {
  awk -v n="$1" 'BEGIN { print ";CFG-2.0"
    for (k = 0; k < n; k++) {
      printf "\"l%d\" SPL", k
      for (p = 0; p < 4; p++) {
        printf " {"
        for (i = 0; i < 9; i++) printf " \"s%d_%d_%d\" %s", k, p, i, (i % 2 ? "QVARM901" : "BYPASS006")
        printf " }"
      }
      printf "\n"
    } }'
}
# median SHAPE SIZE: the median time in seconds of laying out the board's graph.
median() {
  "$1" "$2" >"$work/b.cfg"
  build/kvrview --quiet "$work/b.cfg" >"$work/b.dot"
  times=""
  for _ in $(seq 1 "$runs"); do
    start=$(date +%s%N)
    timeout 100 dot -Tsvg "$work/b.dot" >/dev/null || { echo "> 100"; return; }
    times="$times $((($(date +%s%N) - start) / 1000000))"
  done
  echo $times | tr ' ' '\n' | sort -n |
    awk '{ t[NR] = $1 } END { printf "%.2f\n", t[int((NR + 1) / 2)] / 1000 }'
}
printf '| shape | size | layout s |\n|---|---|---|\n'
for n in 1000 2000 4000 8000 10000; do printf '| devices | %s | %s |\n' "$n" "$(median devices "$n")"; done
for k in 25 50 75 100 200; do printf '| linkers | %s | %s |\n' "$k" "$(median linkers "$k")"; done
for k in 25 50; do
  printf '| linkers of 36 devices | %s | %s |\n' "$k" "$(median full_linkers "$k")"
done

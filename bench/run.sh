#!/usr/bin/env bash
# Times whole kvrbuild runs on generated boards of every shape against `wc -l` on the same input
# (and a verbose analysis against `cat` of its own output), side by side: the two run in turn,
# RUNS times each, and a ratio is the median of the ratios of the pairs, which a machine whose
# speed drifts moves far less than two separate medians. It also measures the peak memory and
# what ten times the input costs. Prints one table. For
# a command that writes a database, `write` is what `cat` takes to write that database to a file,
# over the same base: no run can cost less, whatever its parse.
# Targets: the large board within 3 times wc -l (5 at the least), every other shape within 10;
# -va within twice cat; ten times the input within 10.5 times the time; peak memory within 1.25
# times the input plus 8 MiB; names alike in their first characters within twice ordinary ones.
# Usage: bench/run.sh [RUNS, default 5]          (Linux; needs awk, wc, cat)
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-5}"
[ -f build-bench/build.ninja ] || cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
kvrbuild="$PWD/build-bench/kvrbuild"
measure="$PWD/build-bench/bench/measure"
shapes="$PWD/bench/make_shape.awk"
work="$(mktemp -d "${TMPDIR:-/tmp}/kvr-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"

make() {  # name shape n version scale
  awk -v shape="$2" -v n="$3" -v version="$4" -v scale="$5" -f "$shapes" >"$1"
}
# Each shape at its full size and at a tenth of it (the large board scales itself).
cases=(large 60000 variables 1400000 devices 260000 groups 256000 alike 200000 alikevars 1000000)
for ((c = 0; c < ${#cases[@]}; c += 2)); do
  shape=${cases[c]} n=${cases[c + 1]}
  for v in 1 2; do
    make "$shape$v.cfg" "$shape" "$n" "$v" 1
    if [ "$shape" = large ]; then
      make "${shape}_tenth$v.cfg" "$shape" "$n" "$v" 10
    else
      make "${shape}_tenth$v.cfg" "$shape" "$((n / 10))" "$v" 1
    fi
  done
  [ "${shape#alike}" = "$shape" ] || continue  # only parsed
  for stem in "$shape" "${shape}_tenth"; do "$kvrbuild" -g2 "${stem}2.cfg" "${stem}.dat" >/dev/null; done
done
# Ordinary names of the counts of the "alike" shapes, to hold those against.
make plain2.cfg devices 200000 2 1
make plainvars2.cfg variables 1000000 2 1

timed() { "$measure" "$runs" "$@" | awk '{ print $1 }'; }
# "A-ms B-ms ratio" of two commands run in turn: paired OUT-A command-A... -- vs OUT-B command-B...
paired() { "$measure" "$runs" "$@" | awk '{ print $1, $3, $4 }'; }
peak() { "$measure" 1 /dev/null "$@" | awk '{ printf "%.1f", $2 / 1024 }'; }
mib() { awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.1f", b / 1048576 }'; }

printf '%-10s %-4s %8s %9s %9s %6s %6s %6s %7s %9s %9s %s\n' shape cmd "in MiB" "time ms" \
  "base ms" ratio write target "x10" "peak MiB" "limit" verdict
status=0
row() {  # shape command target input tenth-input [output]
  local shape="$1" cmd="$2" target="$3" input="$4" tenth="$5" output="${6:-}"
  local out=/dev/null out10=/dev/null t base ratio scale pk write=0
  # The tenth writes files of its own: a run that truncates a file pays for what it held.
  local -a run=("$kvrbuild" "$cmd" "$input" ${output:+"$output"})
  local -a tenth_run=("$kvrbuild" "$cmd" "$tenth" ${output:+"tenth_$output"})
  local -a base_run=(/dev/null wc -l "$input")
  if [ "$cmd" = -va ]; then
    out="$work/dump.txt" out10="$work/dump_tenth.txt"
    "$kvrbuild" -va "$input" >"$work/own.txt"
    base_run=("$out" cat "$work/own.txt")
  fi
  read -r t base ratio <<<"$(paired "$out" "${run[@]}" -- vs "${base_run[@]}")"
  # Not in turn with the full size: a run is slowed by the writing back of what the one before it
  # wrote, and a tenth after a full-size dump of 100 MiB would pay for it.
  scale=$(awk -v t="$t" -v t10="$(timed "$out10" "${tenth_run[@]}")" 'BEGIN { print t / t10 }')
  pk=$(peak "${run[@]}")
  if [ -n "$output" ]; then
    "${run[@]}" >/dev/null
    read -r _ _ write <<<"$(paired "$work/copy.dat" cat "$output" -- vs "${base_run[@]}")"
  fi
  awk -v s="$shape" -v c="$cmd" -v target="$target" -v m="$(mib "$input")" -v t="$t" -v b="$base" \
      -v ratio="$ratio" -v scale="$scale" -v pk="$pk" -v w="$write" 'BEGIN {
    limit = 1.25 * m + 8; verdict = ""
    if (ratio > target) verdict = verdict " slow"
    if (scale > 10.5) verdict = verdict " superlinear"
    if (pk > limit) verdict = verdict " memory"
    floor = "-"
    if (w > 0) floor = sprintf("%.1f", w)
    printf "%-10s %-4s %8.1f %9.1f %9.1f %6.1f %6s %6d %7.1f %9.1f %9.1f %s\n", s, c, m, t, b,
           ratio, floor, target, scale, pk, limit, verdict == "" ? "ok" : verdict
    exit verdict != ""
  }' || status=1
}
for ((c = 0; c < ${#cases[@]}; c += 2)); do
  shape=${cases[c]}
  target=10
  [ "$shape" = large ] && target=3
  row "$shape" -p2 "$target" "${shape}2.cfg" "${shape}_tenth2.cfg"
  [ "${shape#alike}" = "$shape" ] || continue
  row "$shape" -g2 "$target" "${shape}2.cfg" "${shape}_tenth2.cfg" out.dat
  row "$shape" -g1 "$target" "${shape}1.cfg" "${shape}_tenth1.cfg" out.dat
  row "$shape" -a "$target" "$shape.dat" "${shape}_tenth.dat"
  row "$shape" -va 2 "$shape.dat" "${shape}_tenth.dat"
done
# Names alike in their first characters against ordinary names of the same count.
for pair in "alike plain2.cfg" "alikevars plainvars2.cfg"; do
  set -- $pair
  read -r a p r <<<"$(paired /dev/null "$kvrbuild" -p2 "${1}2.cfg" -- vs /dev/null "$kvrbuild" -p2 "$2")"
  awk -v s="$1" -v a="$a" -v p="$p" -v r="$r" 'BEGIN {
    printf "%-10s -p2 takes %.1f ms against %.1f ms for ordinary names: %.2f times (target 2) %s\n",
           s, a, p, r, r <= 2 ? "ok" : "slow"; exit r > 2 }' || status=1
done
exit "$status"

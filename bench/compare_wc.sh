#!/usr/bin/env bash
# Times whole kvrbuild runs on large generated boards against `wc -l` on the same input file, and
# measures their peak memory. The largest version 2 board holds a variable section of 0xFFFFFC
# bytes (the largest below 0xFFFFFF that the padding allows; 4062 variables with 4096-character
# values and one shorter one) and 60,000 devices, half on the main path and half in linker groups;
# a board one tenth its size shows how the time scales.
# Targets: a brief command within 10 times wc -l; ten times the input within twelve times the time;
# peak memory within three times the input plus 16 MiB.
# Usage: compare_wc.sh [repetitions, default 5]   (the best time of the repetitions counts)
set -euo pipefail
cd "$(dirname "$0")/.."
repetitions="${1:-5}"

if [ ! -f build-bench/build.ninja ]; then cmake --preset bench >/dev/null; fi
cmake --build --preset bench >/dev/null
kvrbuild="$PWD/build-bench/kvrbuild"
if [ -x /usr/bin/time ]; then
  measure=(/usr/bin/time -f "%e %M")
else
  measure=("$PWD/build-bench/bench/peak_memory")
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/kvr-compare.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"
make_board() {  # name version devices variables fill
  awk -v version="$2" -v devices="$3" -v variables="$4" -v fill="$5" \
    -f "$OLDPWD/bench/make_board.awk" >"$1"
}
make_board large2.cfg 2 60000 4062 1
make_board small2.cfg 2 6000 406 0
make_board large1.cfg 1 60000 4062 0
make_board small1.cfg 1 6000 406 0
for size in large small; do
  "$kvrbuild" -g2 "${size}2.cfg" "${size}2.dat" >/dev/null
  "$kvrbuild" -g1 "${size}1.cfg" "${size}1.dat" >/dev/null
done

now() { date +%s%N; }
# Best wall time in milliseconds of `repetitions` runs of the command, output to /dev/null.
best_ms() {
  local best="" start elapsed
  for ((i = 0; i < repetitions; ++i)); do
    start=$(now)
    "$@" >/dev/null 2>&1
    elapsed=$((($(now) - start) / 1000))
    if [ -z "$best" ] || [ "$elapsed" -lt "$best" ]; then best=$elapsed; fi
  done
  awk -v us="$best" 'BEGIN { printf "%.1f", us / 1000 }'
}
peak_kib() {
  "${measure[@]}" "$@" 2>&1 >/dev/null | tail -n 1 | awk '{ print $2 }'
}

printf '%-5s %-11s %8s %9s %8s %7s %9s %9s %9s %s\n' command input "MiB" "time ms" "wc ms" ratio \
  "x10 cost" "peak MiB" "limit MiB" verdict
status=0
run_case() {  # option input-stem output(optional)
  local option="$1" stem="$2" extra=("${@:3}")
  local large="large$stem" small="small$stem"
  local t_large t_small t_wc bytes peak
  t_large=$(best_ms "$kvrbuild" "$option" "$large" "${extra[@]}")
  t_small=$(best_ms "$kvrbuild" "$option" "$small" "${extra[@]}")
  t_wc=$(best_ms wc -l "$large")
  bytes=$(stat -c %s "$large")
  peak=$(peak_kib "$kvrbuild" "$option" "$large" "${extra[@]}")
  awk -v o="$option" -v f="$large" -v b="$bytes" -v tl="$t_large" -v ts="$t_small" -v tw="$t_wc" \
      -v pk="$peak" -v brief="$([ "${option#-v}" = "$option" ] && echo 1 || echo 0)" 'BEGIN {
    ratio = tl / (tw > 0 ? tw : 0.1); scale = tl / (ts > 0 ? ts : 0.1)
    mib = b / 1048576; peak = pk / 1024; limit = 3 * mib + 16
    verdict = ""
    if (brief && ratio > 10) verdict = verdict " slower-than-10x-wc"
    if (scale > 12) verdict = verdict " superlinear"
    if (peak > limit) verdict = verdict " memory"
    if (verdict == "") verdict = " ok"
    printf "%-5s %-11s %8.1f %9.1f %8.1f %7.1f %9.1f %9.1f %9.1f%s\n", o, f, mib, tl, tw, ratio,
           scale, peak, limit, verdict
    exit verdict != " ok"
  }' || status=1
}
run_case -p2 2.cfg
run_case -g2 2.cfg out.dat
run_case -g1 1.cfg out.dat
run_case -a 2.dat
run_case -a 1.dat
run_case -va 2.dat
run_case -va 1.dat
exit "$status"

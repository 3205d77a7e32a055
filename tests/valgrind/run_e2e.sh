#!/usr/bin/env bash
# The built program under valgrind memcheck on the example boards, in a scratch folder: every
# success path ends with status 0, no memory error and no leak; the failure paths (which leave
# their clean-up to the process's end) show no memory error.
# Usage: run_e2e.sh path/to/kvrbuild path/to/examples
set -euo pipefail
binary="$(realpath "$1")"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/kvr-valgrind.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
cp "$2"/board.cfg "$2"/board_v1.cfg "$scratch"
cd "$scratch"
printf '"a" NOSUCHCLASS\n' >bad.cfg
failures=0
check() {  # check LEAKS ARGS...: with LEAKS "full", a leak fails the run too
  local leaks="$1" status=0
  shift
  valgrind -q --error-exitcode=97 --leak-check="$leaks" --errors-for-leak-kinds=definite,indirect \
    "$binary" "$@" >out 2>err || status=$?
  if [ "$status" -eq 97 ] || { [ "$leaks" = full ] && [ "$status" -ne 0 ]; }; then
    echo "FAILED (status $status): kvrbuild $*"; cat err; failures=$((failures + 1))
  fi
}
for args in "-g2 board.cfg board.dat" "-g1 board_v1.cfg v1.dat" "-vg2 board.cfg v.dat" \
            "-p2 board.cfg" "-vp1 board_v1.cfg" "-a board.dat" "-va board.dat" "-va v1.dat" \
            "-h" "-vh" "" "-i" "-vi" "-o log -va board.dat" "-e -f board.cfg"; do
  check full $args
done
for args in "-p1 bad.cfg" "-p2 board_v1.cfg" "-a board.cfg" "-g2 missing.cfg out.dat" "-x"; do
  check no $args
done
[ "$failures" -eq 0 ] || { echo "$failures run(s) failed under valgrind"; exit 1; }
echo "All runs clean under valgrind memcheck."

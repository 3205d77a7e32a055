#!/usr/bin/env bash
# Runs the built program under valgrind memcheck on the example boards, in a scratch folder:
# every command on its success path must end with status 0, no memory error and no leak; a few
# failure paths must show no memory error (their exit leaves cleanup to the process's end, and a
# problem the program reports in words still ends with status 0).
# Usage: run_e2e.sh [path/to/kvrbuild] [path/to/examples]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
binary="$(realpath "${1:-$here/../../build/kvrbuild}")"
examples="$(realpath "${2:-$here/../../examples}")"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/kvr-valgrind.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
mkdir examples
cp "$examples"/board.cfg "$examples"/board_v1.cfg examples/
cp examples/board.cfg examples/board_v1.cfg .

memcheck=(valgrind -q --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect)
failures=0

# A success path: exit status 0 under full leak checking.
succeeds() {
  if ! "${memcheck[@]}" "$binary" "$@" >"$scratch/out" 2>"$scratch/err"; then
    echo "FAILED (status or memcheck): kvrbuild $*"
    cat "$scratch/err"
    failures=$((failures + 1))
  fi
}

# A failure path: the program's own status 0 or 1, and no memory error (97 would be memcheck's).
fails_cleanly() {
  local status=0
  valgrind -q --error-exitcode=97 --leak-check=no "$binary" "$@" >"$scratch/out" \
    2>"$scratch/err" || status=$?
  if [ "$status" -gt 1 ]; then
    echo "FAILED (status $status): kvrbuild $*"
    cat "$scratch/err"
    failures=$((failures + 1))
  fi
}

succeeds -g2 board.cfg board.dat
succeeds -g1 board_v1.cfg v1.dat
succeeds -vg2 board.cfg verbose.dat
succeeds -p2 board.cfg
succeeds -vp1 board_v1.cfg
succeeds -a board.dat
succeeds -va board.dat
succeeds -va v1.dat
succeeds -h
succeeds -vh
succeeds
succeeds -i
succeeds -vi
succeeds -o log -va board.dat
succeeds -e -f board.cfg

printf '"a" NOSUCHCLASS\n' >bad.cfg
fails_cleanly -p1 bad.cfg
fails_cleanly -p2 board_v1.cfg
fails_cleanly -a board.cfg
fails_cleanly -g2 missing.cfg out.dat
fails_cleanly -x

if [ "$failures" -ne 0 ]; then
  echo "$failures run(s) failed under valgrind"
  exit 1
fi
echo "All runs clean under valgrind memcheck."

#!/bin/sh
# The built programs, whole, on the example boards: kvrbuild compiles each, kvrview turns the
# database back into text, and kvrbuild compiles that text to the same bytes. On a cross build the
# programs run under the emulator given first (wine).
# Usage: programs_round_trip.sh EXAMPLES_DIR KVRBUILD KVRVIEW [EMULATOR ...]
set -u
examples=$1 kvrbuild=$2 kvrview=$3
shift 3
work=$(mktemp -d "$PWD/round-trip.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
for board in board:2 board_v1:1; do
  name=${board%:*} version=${board#*:}
  cp "$examples/$name.cfg" in.cfg
  "$@" "$kvrbuild" "-g$version" in.cfg first.dat >log.txt || { cat log.txt; exit 1; }
  "$@" "$kvrview" --cfg -o back.cfg first.dat || exit 1
  "$@" "$kvrbuild" "-g$version" back.cfg again.dat >log.txt || { cat log.txt; exit 1; }
  cmp first.dat again.dat || { echo "FAIL: $name.cfg does not come back"; exit 1; }
  echo "ok: $name.cfg comes back byte for byte"
done

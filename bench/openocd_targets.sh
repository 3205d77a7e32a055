#!/usr/bin/env bash
# How many of OpenOCD's installed target scripts `kvrview --import' reads to the chain that OpenOCD
# itself evaluates them to (with its dummy adapter): for each script whose chain holds a TAP, the
# IR lengths of the enabled TAPs from TDI to TDO, from OpenOCD's scan_chain table and from the
# imported board. With --pairs, each script is named with the one after it (the last with the
# first), `openocd -f A -f B' against `kvrview --import A B', so that the order in which several
# files are evaluated is measured too. Prints each script (or pair) whose chains differ, then the
# count; exits 1 on a difference.
# Usage: bench/openocd_targets.sh [--pairs] [TARGET_FOLDER]   (after building the default preset)
set -uo pipefail
cd "$(dirname "$0")/.."
pairs=0
if [ "${1:-}" = --pairs ]; then
  pairs=1
  shift
fi
targets=${1:-/usr/share/openocd/scripts/target}
kvrview=build/kvrview
scripts=("$targets"/*.cfg)
chains=0 same=0
for ((i = 0; i < ${#scripts[@]}; i++)); do
  named=("${scripts[i]}")
  [ "$pairs" -eq 0 ] || named+=("${scripts[(i + 1) % ${#scripts[@]}]}")
  options=()
  for script in "${named[@]}"; do options+=(-f "$script"); done
  # scan_chain's rows: number, name, Y/n, IdCode, Expected, IrLen, ...; listed from TDO.
  expected=$(openocd -c 'adapter driver dummy' -c 'transport select jtag' "${options[@]}" \
    -c scan_chain -c shutdown 2>&1 | awk '$1 ~ /^[0-9]+$/ && NF >= 8 && $3 == "Y" { s = $6 " " s }
      END { printf "%s", s }')
  [ -n "$expected" ] || continue
  chains=$((chains + 1))
  got=$("$kvrview" --import "${named[@]}" 2>/dev/null |
    sed -n 's/^"[^"]*" *BYPASS\([0-9A-F]\{3\}\) .*/\1/p' |
    while read -r hex; do printf '%d ' "0x$hex"; done)
  if [ "$got" = "$expected" ]; then
    same=$((same + 1))
  else
    names=$(for script in "${named[@]}"; do basename "$script"; done | paste -sd ' ')
    echo "$names: OpenOCD $expected/ kvrview $got"
  fi
done
if [ "$pairs" -eq 0 ]; then
  echo "kvrview --import gives OpenOCD's chain for $same of the $chains target scripts OpenOCD" \
    "evaluates to a chain."
else
  echo "kvrview --import A B gives OpenOCD's chain for $same of the $chains pairs of target" \
    "scripts that openocd -f A -f B evaluates to a chain."
fi
[ "$same" -eq "$chains" ]

#!/usr/bin/env bash
# How many of OpenOCD's installed target scripts `kvrview --import' reads to the chain that OpenOCD
# itself evaluates them to (with its dummy adapter): for each script whose chain holds a TAP, the
# IR lengths of the enabled TAPs from TDI to TDO, from OpenOCD's scan_chain table and from the
# imported board. Prints each script whose chains differ, then the count; exits 1 on a difference.
# Usage: bench/openocd_targets.sh [TARGET_FOLDER]   (after building the default preset)
set -uo pipefail
cd "$(dirname "$0")/.."
targets=${1:-/usr/share/openocd/scripts/target}
kvrview=build/kvrview
chains=0 same=0
for script in "$targets"/*.cfg; do
  # scan_chain's rows: number, name, Y/n, IdCode, Expected, IrLen, ...; listed from TDO.
  expected=$(openocd -c 'adapter driver dummy' -c 'transport select jtag' -f "$script" \
    -c scan_chain -c shutdown 2>&1 | awk '$1 ~ /^[0-9]+$/ && NF >= 8 && $3 == "Y" { s = $6 " " s }
      END { printf "%s", s }')
  [ -n "$expected" ] || continue
  chains=$((chains + 1))
  got=$("$kvrview" --import "$script" 2>/dev/null |
    sed -n 's/^"[^"]*" *BYPASS\([0-9A-F]\{3\}\) .*/\1/p' |
    while read -r hex; do printf '%d ' "0x$hex"; done)
  if [ "$got" = "$expected" ]; then
    same=$((same + 1))
  else
    echo "$(basename "$script"): OpenOCD $expected/ kvrview $got"
  fi
done
echo "kvrview --import gives OpenOCD's chain for $same of the $chains target scripts OpenOCD" \
  "evaluates to a chain."
[ "$same" -eq "$chains" ]

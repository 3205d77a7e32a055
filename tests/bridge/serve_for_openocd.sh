#!/bin/sh
# The simulated board of a cross-built kvrview (under its emulator, wine) probed by the build
# machine's OpenOCD: OpenOCD's init checks every instruction register's capture and the chain's
# length, and its scan_chain table must list the chain of the example board with a sub-path
# selected. Skips, with status 77, without openocd.
# Usage: serve_for_openocd.sh BOARD.CFG KVRVIEW [EMULATOR ...]
set -u
board=$1 kvrview=$2
shift 2
command -v openocd >/dev/null || { echo "SKIPPED: no openocd"; exit 77; }
work=$(mktemp -d "$PWD/serve.XXXXXX") || exit 1
trap 'kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work" || exit 1
cp "$board" board.cfg
"$@" "$kvrview" --openocd --select link:0 -o chain.tcl board.cfg || exit 1
"$@" "$kvrview" --serve --select link:0 board.cfg >port.txt 2>err.txt &
server=$!
for _ in $(seq 1 300); do
  [ -s port.txt ] && break
  sleep 0.1
done
port=$(head -n 1 port.txt | tr -d '\r')
[ -n "$port" ] || { echo "FAIL: the server gave no port"; cat err.txt; exit 1; }
timeout 120 openocd -c "adapter driver remote_bitbang; remote_bitbang port $port" -f chain.tcl \
  -c init -c scan_chain -c shutdown >openocd.txt 2>&1
chain=$(awk '$2 ~ /^board\./ { printf "%s:%s ", $2, $6 }' openocd.txt)
wanted="board.arm_b:4 board.arm_a:4 board.dsp_c:38 board.dsp_b:38 board.link:8 board.dsp_a:38 board.fpga:6 "
if [ "$chain" != "$wanted" ]; then
  echo "FAIL: OpenOCD found the chain '$chain', not '$wanted'"
  cat openocd.txt err.txt
  exit 1
fi
echo "ok: OpenOCD found the chain $chain"

#!/bin/sh
# The built programs, whole, as a user runs them (under the emulator given last, wine, on a cross
# build): kvrbuild compiles each example, kvrview turns the database back into text and kvrbuild
# compiles that to the same bytes; then kvrview's simulated board, with a sub-path of its linker
# selected, is probed by the build machine's OpenOCD, whose scan_chain table must list the chain
# (the TAPs it counts in, marked Y).
# Without openocd the second part is skipped (status 77) once the first has passed.
# Usage: whole_programs.sh EXAMPLES_DIR KVRBUILD KVRVIEW [EMULATOR ...]
set -u
examples=$1 kvrbuild=$2 kvrview=$3
shift 3
work=$(mktemp -d "$PWD/whole.XXXXXX") || exit 1
trap 'kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
server=
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

command -v openocd >/dev/null || { echo "SKIPPED: no openocd to probe the simulated board"; exit 77; }
cp "$examples/board.cfg" board.cfg
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
chain=$(awk '$2 ~ /^board\./ && $3 == "Y" { printf "%s:%s ", $2, $6 }' openocd.txt)
wanted="board.arm_b:4 board.arm_a:4 board.dsp_c:38 board.dsp_b:38 board.link:8 board.dsp_a:38 board.fpga:6 "
[ "$chain" = "$wanted" ] || { echo "FAIL: OpenOCD found '$chain'"; cat openocd.txt err.txt; exit 1; }
echo "ok: OpenOCD found the chain $chain"

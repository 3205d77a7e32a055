#!/usr/bin/env bash
# Times kvrview --lsp from a change to its published diagnostics (bench/lsp_latency.cc), side by
# side with kvrview --check of the same text, on boards of 1,000 lines (1,000 devices on the main
# path; four linkers with their groups) and on the large board of the speed table, both versions.
# Targets: 5 ms for a 1,000-line board, 300 ms for the large board.
# Usage: bench/lsp.sh [RUNS, default 11]          (Linux)
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-11}"
[ -f build-bench/build.ninja ] || cmake --preset bench >/dev/null
cmake --build --preset bench --target kvrview lsp_latency >/dev/null
kvrview="$PWD/build-bench/kvrview"
latency="$PWD/build-bench/bench/lsp_latency"
shapes="$PWD/bench/make_shape.awk"
work="$(mktemp -d "${TMPDIR:-/tmp}/kvr-lsp-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
printf '%-22s %7s %10s %10s %6s %7s %s\n' board lines "change ms" "check ms" ratio target verdict
status=0
for row in "devices 999 2 5" "groups 960 2 5" "large 60000 2 300" "large 60000 1 300"; do
  set -- $row
  awk -v shape="$1" -v n="$2" -v version="$3" -v scale=1 -f "$shapes" >"$work/b.cfg"
  read -r change check ratio _ <<<"$("$latency" "$runs" "$kvrview" "$work/b.cfg")"
  awk -v b="$1 v$3" -v l="$(wc -l <"$work/b.cfg")" -v c="$change" -v k="$check" -v r="$ratio" \
      -v t="$4" 'BEGIN { printf "%-22s %7d %10.2f %10.2f %6.2f %7d %s\n", b, l, c, k, r, t,
                         c <= t ? "ok" : "slow"; exit c > t }' || status=1
done
exit "$status"

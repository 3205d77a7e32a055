#!/usr/bin/env bash
# The longer run of the round trip of random boards through kvrview --cfg: BOARDS generated boards
# (default 10000, both versions, linkers and runs of like devices) are compiled by kvrbuild's own
# parser and writer, turned back into text, and that text must compile to the same bytes. It runs
# the unit test's property with a larger count, after building the default preset.
# Usage: bench/round_trip.sh [BOARDS]
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/build.ninja ] || cmake --preset default >/dev/null
cmake --build --preset default >/dev/null
start=$(date +%s)
KVR_ROUND_TRIP_BOARDS="${1:-10000}" build/tests/kvr_tests \
  --gtest_filter='TextTest.EveryRandomBoardComesBackAsTextAndAsTheJsonOfItsDevices' \
  --gtest_brief=1
echo "${1:-10000} random boards round-tripped byte for byte in $(($(date +%s) - start)) s."

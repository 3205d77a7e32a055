#!/usr/bin/env bash
# Runs every fuzz target for SECONDS (default 30) from its committed seed corpus (copied to a
# scratch folder, so the repository never changes) with its dictionary, after building the fuzz
# preset. Fails when a target crashes, leaks or breaks an invariant, keeping the scratch folder.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build-fuzz/build.ninja ] || cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
scratch="$(mktemp -d "${TMPDIR:-/tmp}/kvr-fuzz.XXXXXX")"
for target in config database command_line; do
  mkdir -p "$scratch/$target/corpus" && cp fuzz/corpus/"$target"/* "$scratch/$target/corpus/"
  echo "== fuzz_$target for ${1:-30}s"
  if ! build-fuzz/fuzz/fuzz_"$target" -max_total_time="${1:-30}" -max_len=16384 -timeout=25 \
      -rss_limit_mb=2048 -dict=fuzz/"$target".dict -artifact_prefix="$scratch/$target/" \
      "$scratch/$target/corpus" >"$scratch/$target/log" 2>&1; then
    tail -n 40 "$scratch/$target/log" >&2
    echo "fuzz_$target FAILED; its log and input are in $scratch/$target" >&2
    exit 1
  fi
  grep -E '^#[0-9]+ +DONE' "$scratch/$target/log" || true
done
rm -rf "$scratch"
echo "All fuzz targets ran clean."

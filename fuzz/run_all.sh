#!/usr/bin/env bash
# Runs every fuzz target for SECONDS (default 30) each, starting from its committed seed corpus
# (copied to a scratch folder, so the repository is never changed) with its dictionary. Configures
# and builds the fuzz preset first. Fails when any target crashes, leaks or breaks an invariant;
# the input that did it is kept in the scratch folder, whose path is printed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
targets=(config_parser file_kind database_analyser command_line word_splitter)

if [ ! -f build-fuzz/build.ninja ]; then cmake --preset fuzz >/dev/null; fi
cmake --build --preset fuzz

scratch="$(mktemp -d "${TMPDIR:-/tmp}/kvr-fuzz.XXXXXX")"
echo "Scratch folder: $scratch"
failed=()
for target in "${targets[@]}"; do
  mkdir -p "$scratch/$target/corpus" "$scratch/$target/artifacts"
  cp fuzz/corpus/"$target"/* "$scratch/$target/corpus/"
  echo "== fuzz_$target for ${seconds}s"
  if build-fuzz/fuzz/fuzz_"$target" -max_total_time="$seconds" -max_len=16384 -timeout=25 \
       -rss_limit_mb=2048 -print_final_stats=1 -dict=fuzz/"$target".dict \
       -artifact_prefix="$scratch/$target/artifacts/" "$scratch/$target/corpus" \
       >"$scratch/$target/log" 2>&1; then
    grep -E '^#[0-9]+ +DONE|stat::number_of_executed_units' "$scratch/$target/log" || true
  else
    echo "fuzz_$target FAILED; its log and the input are in $scratch/$target" >&2
    tail -n 40 "$scratch/$target/log" >&2
    failed+=("$target")
  fi
done
if ((${#failed[@]})); then
  echo "Failed: ${failed[*]}" >&2
  exit 1
fi
rm -rf "$scratch"
echo "All fuzz targets ran clean."

// The board.cfg of an import (bridge/board_from_taps.h) for chains of 1k to 1M TAPs in the shapes
// that make naming work hardest: names that are their own device names, nine-character names
// sharing a prefix and each given twice (every one cut to a stem that many share, then numbered),
// and one name for every TAP (each numbered, and past a million the spare names). Each reports
// TAPs per second and the fitted complexity, which must stay linear.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bridge/board_from_taps.h"

namespace kvr {
namespace {

std::vector<ImportedTap> chain(std::int64_t taps, int shape) {
  std::vector<ImportedTap> chain;
  for (std::int64_t i = 0; i < taps; ++i) {
    const std::string n = std::to_string(i);
    const std::string name = shape == 0   ? "t" + n
                             : shape == 1 ? "abcd" + std::to_string(10000 + i / 2) + "x"
                                          : "x";
    chain.push_back({"soc", name, 4, true});
  }
  return chain;
}

void BM_ImportNames(benchmark::State& state, int shape) {
  const std::vector<ImportedTap> taps = chain(state.range(0), shape);
  for (auto _ : state) benchmark::DoNotOptimize(board_config_of(taps, {"chain.tcl"}));
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}

BENCHMARK_CAPTURE(BM_ImportNames, own_names, 0)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK_CAPTURE(BM_ImportNames, shared_prefix_twice, 1)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK_CAPTURE(BM_ImportNames, one_name, 2)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
}  // namespace kvr

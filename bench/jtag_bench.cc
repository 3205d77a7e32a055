// The simulated scan path of --serve on chains of 1k, 10k and 100k devices, every tenth a linker
// with one device on each sub-path: a whole IR scan of the chain, whose cost per shifted bit must
// not grow with the chain, and a switch of one linker's sub-path through its SELECT register,
// whose cost must stay linear in the devices.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "jtag/bitbang_protocol.h"
#include "jtag/simulated_path.h"

namespace kvr {
namespace {

std::vector<SimulatedDevice> devices_of(std::int64_t count) {
  std::vector<SimulatedDevice> devices;
  for (std::int64_t d = 0; static_cast<std::int64_t>(devices.size()) < count; ++d) {
    devices.push_back({"d" + std::to_string(d), 8});
    if (d % 10 != 0) continue;
    devices.back().is_linker = true;
    const std::size_t linker = devices.size() - 1;
    for (int k = 0; k < 4; ++k) {
      devices.push_back({"s" + std::to_string(d) + "_" + std::to_string(k), 4});
      devices.back().linker = linker;
      devices.back().sub_path = k;
    }
  }
  return devices;
}

std::string clock(int tms, int tdi) {
  const char low = static_cast<char>('0' + 2 * tms + tdi);
  return std::string(1, low) + static_cast<char>(low + 4);
}

// From Run-Test/Idle, a scan that shifts `bits` in and comes back through Update.
std::string scan(bool ir, const std::string& bits) {
  std::string bytes = clock(1, 0) + (ir ? clock(1, 0) : "") + clock(0, 0) + clock(0, 0);
  for (std::size_t i = 0; i < bits.size(); ++i) {
    bytes += clock(i + 1 == bits.size(), bits[i] == '1');
  }
  return bytes + clock(1, 0) + clock(0, 0);
}

void BM_ShiftTheWholeChain(benchmark::State& state) {
  SimulatedPath path = simulated_path(devices_of(state.range(0)), false);
  std::size_t bits = 0;
  for (const std::size_t d : path.chain) bits += path.devices[d].ir_length;
  const std::string bytes = clock(0, 0) + scan(true, std::string(bits, '1'));
  BitbangPins pins;
  std::string answers;
  for (auto _ : state) {
    answers.clear();
    feed_bitbang(pins, path, bytes, answers);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(bits));
  state.SetComplexityN(state.range(0));
}

// The first linker (nearest TDI) under SELECT, then DR scans that select its sub-path 0 and none
// in turn: each changes the chain.
void BM_SwitchASubPath(benchmark::State& state) {
  SimulatedPath path = simulated_path(devices_of(state.range(0)), false);
  std::string ir;
  for (std::size_t i = path.chain.size(); i-- > 0;) {
    const bool first_linker = i == 0;
    ir += first_linker ? "01000000" : std::string(path.devices[path.chain[i]].ir_length, '1');
  }
  const std::string select = clock(0, 0) + scan(true, ir);
  BitbangPins pins;
  std::string answers;
  feed_bitbang(pins, path, select, answers);
  const std::size_t before = path.chain.size() - 1;  // the 1-bit BYPASS registers towards TDO
  const std::string in = scan(false, std::string(before, '0') + "000");
  const std::string out = scan(false, std::string(before + 1, '0') + "001");
  for (auto _ : state) {
    answers.clear();
    feed_bitbang(pins, path, in, answers);
    feed_bitbang(pins, path, out, answers);
  }
  if (path.linkers[0].selected != kNoSelection) state.SkipWithError("the linker did not switch");
  state.SetItemsProcessed(state.iterations() * 2);
  state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_ShiftTheWholeChain)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_SwitchASubPath)->RangeMultiplier(10)->Range(1000, 100000)->Complexity(benchmark::oN);

}  // namespace
}  // namespace kvr

// The parser, the writer and the analyser on generated boards of 1k, 10k and 100k devices: each
// reports bytes and devices per second, and the fitted complexity, which must stay linear.
// Streams are in memory, so the figures are the code's own cost, not the disk's.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "config/board_config_parser.h"
#include "database/board_model.h"
#include "database/database_analyser.h"
#include "database/database_writer.h"

namespace kvr {
namespace {

// A version 2 board of `devices` devices: runs of one family on the main path, and every
// twentieth device a linker whose four groups hold three devices in all; one configure variable
// for every ten devices, with values of up to 200 characters.
std::string board_text(std::int64_t devices) {
  std::string text = ";CFG-2.0\n";
  for (std::int64_t v = 0; v < devices / 10; ++v) {
    text += "[VARIABLE_" + std::to_string(v) + "] '" + std::string(v % 200, 'x') + "'\n";
  }
  static const char* const kClasses[] = {"QV740K21", "QVARM9x1", "QV740K88A1", "GENERIC010"};
  for (std::int64_t d = 0; d < devices;) {
    if (d % 20 == 19 && devices - d >= 4) {
      text += "\"l" + std::to_string(d) + "\" SPL\n{ \"a" + std::to_string(d) +
              "\" QVARM9x1 } { } { \"b" + std::to_string(d) + "\" BYPASS8 \"c" + std::to_string(d) +
              "\" DBM } { }\n";
      d += 4;
      continue;
    }
    text += "\"d" + std::to_string(d) + "\" " + kClasses[(d / 7) % 4] + " ; device\n";
    ++d;
  }
  return text;
}

struct MemoryStream {
  explicit MemoryStream(std::string& bytes, const char* mode)
      : file(fmemopen(bytes.data(), bytes.size(), mode)) {}
  ~MemoryStream() {
    if (file != nullptr) std::fclose(file);
  }
  std::FILE* file;
};

Status parse(std::string& text, BoardModel& model) {
  MemoryStream in(text, "r");
  return parse_board_config(model, LineSource{in.file, 0, nullptr}, nullptr, nullptr, 2);
}

std::string database_of(std::string text, std::uint8_t version) {
  BoardModel model;
  if (parse(text, model) != 0) return {};
  std::string bytes(76 * text.size() + 4096, '\0');
  MemoryStream out(bytes, "w+");
  if (write_board_database(model, out.file, version) != 0) return {};
  std::fseek(out.file, 0, SEEK_END);
  bytes.resize(static_cast<std::size_t>(std::ftell(out.file)));
  return bytes;
}

void BM_Parse(benchmark::State& state) {
  std::string text = board_text(state.range(0));
  for (auto _ : state) {
    BoardModel model;
    if (parse(text, model) != 0) state.SkipWithError("parse failed");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}

void BM_Write(benchmark::State& state, std::uint8_t version) {
  std::string text = board_text(state.range(0));
  BoardModel model;
  if (parse(text, model) != 0) state.SkipWithError("parse failed");
  std::string bytes(76 * text.size() + 4096, '\0');
  for (auto _ : state) {
    MemoryStream out(bytes, "w+");
    if (write_board_database(model, out.file, version) != 0) state.SkipWithError("write failed");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}

void BM_Analyse(benchmark::State& state, std::uint8_t version) {
  std::string bytes = database_of(board_text(state.range(0)), version);
  if (bytes.empty()) state.SkipWithError("no database");
  for (auto _ : state) {
    MemoryStream in(bytes, "r");
    BoardModel counts;
    if (analyse_board_database(counts, in.file, 0, version, nullptr) != 0) {
      state.SkipWithError("analysis failed");
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_Parse)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK_CAPTURE(BM_Write, v1, 1)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK_CAPTURE(BM_Write, v2, 2)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK_CAPTURE(BM_Analyse, v1, 1)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK_CAPTURE(BM_Analyse, v2, 2)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
}  // namespace kvr

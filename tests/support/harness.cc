#include "support/harness.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>

#include "config/board_config_parser.h"
#include "database/database_analyser.h"
#include "database/database_writer.h"
#include "database/device_walk.h"
#include "frontend/run_sequence.h"
#include "library/builtin_library.h"

namespace kvr::testing {

namespace fs = std::filesystem;

UniqueFile stream_with(const std::string& bytes) {
  UniqueFile file(open_temporary());
  if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    throw std::runtime_error("cannot make a temporary stream");
  }
  std::rewind(file.get());
  return file;
}

std::string contents_of(std::FILE* stream) {
  std::fflush(stream);
  std::rewind(stream);
  std::string bytes;
  char chunk[65536];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, stream)) > 0;) {
    bytes.append(chunk, got);
  }
  return bytes;
}

std::string words(std::initializer_list<std::uint32_t> values) {
  std::string bytes;
  for (std::uint32_t v : values) {
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((v >> shift) & 0xFF);
  }
  return bytes;
}

std::size_t open_files() {
  std::size_t count = 0;
#if !defined(_WIN32)  // under wine the folder lists the descriptors of wine itself
  std::error_code error;
  for (fs::directory_iterator it("/proc/self/fd", error), end; !error && it != end;
       it.increment(error)) {
    ++count;
  }
#endif
  return count;
}

Sandbox::Sandbox() : previous_(fs::current_path().string()) {
  std::random_device seed;
  do {
    path_ = (fs::temp_directory_path() / ("kvrtest-" + std::to_string(seed()))).string();
  } while (!fs::create_directory(path_));
  fs::current_path(path_);
}

Sandbox::~Sandbox() {
  std::error_code ignored;
  fs::current_path(previous_, ignored);
  fs::remove_all(path_, ignored);
}

std::string Sandbox::path(const std::string& name) const {
  return (fs::path(path_) / name).string();
}

void Sandbox::write(const std::string& name, const std::string& bytes) const {
  fs::create_directories(fs::path(path(name)).parent_path());
  std::ofstream(path(name), std::ios::binary) << bytes;
}

std::string Sandbox::read(const std::string& name) const {
  std::ostringstream bytes;
  bytes << std::ifstream(path(name), std::ios::binary).rdbuf();
  return bytes.str();
}

RunResult run_main(const Main& main, const std::vector<std::string>& words, std::size_t allowed) {
  std::vector<const char*> argv;
  for (const std::string& word : words) argv.push_back(word.c_str());
  argv.push_back(nullptr);
  UniqueFile out = stream_with(""), err = stream_with("");
  RunResult result;
  arm_allocation_failure(allowed);
  result.exit_status = main(static_cast<int>(words.size()), argv.data(), out.get(), err.get());
  result.refused = disarm_allocation_failure();
  result.out = contents_of(out.get());
  result.err = contents_of(err.get());
  return result;
}

RunResult Sandbox::run(const std::vector<std::string>& arguments, ScanLibrary* library,
                       FileAccess files, std::size_t allowed) const {
  BuiltinScanLibrary builtin;
  std::vector<std::string> words = {"kvrbuild"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  return run_main(
      [&](int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
        return run_program(argc, argv, library != nullptr ? *library : builtin, files, out, err);
      },
      words, allowed);
}

Parsed parse_text(const std::string& text, std::uint8_t version, bool verbose) {
  Parsed parsed;
  UniqueFile input = stream_with(text), echo = stream_with("");
  LineSource source{input.get(), static_cast<std::uint16_t>(verbose), echo.get()};
  parsed.status = parse_board_config(parsed.model, source, nullptr, &parsed.line, version);
  if (std::ftell(input.get()) != 0) throw std::runtime_error("the parser left its input unwound");
  parsed.echo = contents_of(echo.get());
  parsed.devices = device_records(parsed.model);
  for (std::size_t i = 0; i < parsed.model.devices.size(); ++i) {
    parsed.device_classes.push_back(parsed.model.devices[i].high_level);
    parsed.device_names.push_back(name_of(parsed.model.devices[i]));
  }
  parsed.model.variables.for_each_variable([&](std::string_view name, std::string_view value) {
    parsed.variables.emplace_back(name, value);
  });
  return parsed;
}

std::string write_bytes(const BoardModel& model, std::uint8_t version, Status* status) {
  UniqueFile file = stream_with("");
  const Status result = write_board_database(model, file.get(), version);
  if (status != nullptr) *status = result;
  return contents_of(file.get());
}

Analysed analyse_bytes(const std::string& bytes, std::uint8_t version, bool verbose) {
  Analysed analysed;
  UniqueFile input = stream_with(bytes), dump = stream_with("");
  BoardModel counts;
  analysed.status = analyse_board_database(counts, input.get(), verbose, version, dump.get());
  analysed.dump = contents_of(dump.get());
  return analysed;
}

std::string path_rule_broken(const std::vector<DeviceRecord>& devices, std::uint32_t class_count) {
  std::map<std::uint64_t, std::vector<const DeviceRecord*>> paths;  // parent * 4 + subpath
  for (std::uint32_t i = 0; i < devices.size(); ++i) {
    const DeviceRecord& d = devices[i];
    const std::string at = "device " + std::to_string(i + 1) + ": ";
    if (d.dev_id != i + 1 || d.cls_id >= class_count || d.subpath > 3) return at + "ids";
    if (d.parent == 0 ? d.subpath != 0 : devices[d.parent - 1].connect != 1) return at + "parent";
    if (d.connect > 1 || (d.connect == 1 && (d.parent != 0 || d.mainIR != 8))) return at + "linker";
    paths[std::uint64_t{d.parent} * 4 + d.subpath].push_back(&d);
  }
  for (const auto& [key, path] : paths) {
    const std::uint32_t extra = key >= 4 ? 1 : 0;  // a linker's own bypass on its sub-paths
    std::uint32_t total = 0, before = 0;
    for (const DeviceRecord* d : path) total += d->mainIR;
    for (std::uint32_t n = 0; n < path.size(); ++n) {
      const DeviceRecord& d = *path[n];
      const std::string at = "device " + std::to_string(d.dev_id) + ": ";
      if (d.prior != (n == 0 ? 0 : path[n - 1]->dev_id)) return at + "prior";
      if (d.preIR != before || d.preDR != n) return at + "preIR or preDR";
      if (d.posIR != total - before - d.mainIR + extra) return at + "posIR";
      if (d.posDR != path.size() - n - 1 + extra) return at + "posDR";
      before += d.mainIR;
    }
    if (key >= 4 && devices[key / 4 - 1].sub_id[key % 4] != path.front()->dev_id) {
      return "linker " + std::to_string(key / 4) + ": sub_id";
    }
  }
  return "";
}

}  // namespace kvr::testing

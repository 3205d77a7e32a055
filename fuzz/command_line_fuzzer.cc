// The command-line parser on arbitrary word lists. The input is cut at its first 0x01 byte into
// the real command line, split into words at NUL bytes, and the value of an extra-options variable
// (NUL bytes read as spaces, at most 4096 characters). As in a run with -e, a successful first
// parse is followed by the extra options: the value, served by a stand-in library, is split into
// words and parsed a second time on the same settings, after `extra_options` is withdrawn.
//
// After each parse: a status of 1 (refused), or 0 with exactly one of help, information,
// extra_options, generate, parse and analyse set, versions 1 or 2, the text fields within their
// limits, and the file names the chosen command needs present, lower-cased, and for generate
// different from each other.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "frontend/command_line.h"
#include "frontend/extra_options.h"
#include "fuzz_support.h"
#include "scanlib/scan_library.h"

namespace {

std::vector<std::string> split_words(const std::uint8_t* begin, const std::uint8_t* end) {
  std::vector<std::string> words(1);
  for (const std::uint8_t* p = begin; p != end; ++p) {
    if (*p == 0) {
      words.emplace_back();
    } else {
      words.back() += static_cast<char>(*p);
    }
  }
  return words;
}

bool lower_case(const std::optional<std::string>& name) {
  if (!name) return true;
  for (char c : *name) {
    if (c >= 'A' && c <= 'Z') return false;
  }
  return true;
}

void check(const kvr::RunSettings& s, std::int16_t status) {
  KVR_REQUIRE(status == 0 || status == 1);
  KVR_REQUIRE(s.generate_version == 1 || s.generate_version == 2);
  KVR_REQUIRE(s.parse_version == 1 || s.parse_version == 2);
  KVR_REQUIRE(s.variable_tail.size() <= kvr::kMaxVariableTail);
  KVR_REQUIRE(s.variable_tail.compare(0, 7, "OPTIONS") == 0);
  KVR_REQUIRE(s.config_file_name.size() <= kvr::kMaxConfigFileName + 4);
  KVR_REQUIRE(lower_case(s.input_name) && lower_case(s.output_name));
  if (status != 0) return;
  const int commands = (s.help != 0) + (s.information != 0) + (s.extra_options != 0) +
                       (s.generate != 0) + (s.parse != 0) + (s.analyse != 0);
  KVR_REQUIRE(commands == 1);
  if (s.generate != 0) {
    KVR_REQUIRE(s.input_name && s.output_name && *s.input_name != *s.output_name);
  }
  if (s.parse != 0 || s.analyse != 0) KVR_REQUIRE(s.input_name.has_value());
}

std::int16_t parse(kvr::RunSettings& settings, const std::vector<std::string>& words) {
  std::vector<const char*> pointers;
  for (const std::string& word : words) pointers.push_back(word.c_str());
  pointers.push_back(nullptr);
  return kvr::parse_command_line(settings, static_cast<int>(words.size()), pointers.data(),
                                 kvr::fuzz::null_stream(), kvr::fuzz::null_stream());
}

// Serves one configure variable whatever its name; the other services are never called here.
class VariableLibrary : public kvr::ScanLibrary {
 public:
  explicit VariableLibrary(std::string value) : value_(std::move(value)) {}
  kvr::Status SMG_Version(kvr::ControllerRecord&) override { return 0; }
  kvr::Status SMG_OsInform(kvr::ControllerRecord&) override { return 0; }
  kvr::Status SMG_ErrorInform(kvr::ErrorRecord&, kvr::ControllerRecord&) override { return 0; }
  kvr::Status SMG_LoadBoardData(const char*, std::uint32_t, kvr::BoardDataHandle* handle,
                                std::uint32_t*) override {
    *handle = &value_;
    return 0;
  }
  kvr::Status SMG_GetConfigVariable(kvr::BoardDataHandle, const char*, const char*,
                                    std::uint16_t* found, void*, void*, char* value,
                                    std::uint32_t capacity) override {
    KVR_REQUIRE(capacity == kvr::kVariableValueCapacity && value_.size() < capacity);
    std::memcpy(value, value_.c_str(), value_.size() + 1);
    *found = 1;
    return 0;
  }
  kvr::Status SMG_UnloadBoardData(kvr::BoardDataHandle* handle) override {
    *handle = nullptr;
    return 0;
  }

 private:
  std::string value_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::uint8_t* end = data + size;
  const std::uint8_t* cut = data;
  while (cut != end && *cut != 1) ++cut;

  kvr::RunSettings settings;
  std::int16_t status = parse(settings, split_words(data, cut));
  check(settings, status);
  if (status != 0 || cut == end) return 0;
  std::string value(cut + 1, end);
  for (char& c : value) c = c == '\0' ? ' ' : c;
  value.resize(std::min<std::size_t>(value.size(), kvr::kVariableValueCapacity - 1));
  VariableLibrary library(value);
  const kvr::Status extra =
      kvr::load_extra_options(library, settings, kvr::kExtraOptionsPrefix, settings.variable_tail,
                              settings.config_file_name, kvr::parse_command_line,
                              kvr::fuzz::null_stream(), kvr::fuzz::null_stream());
  check(settings, static_cast<std::int16_t>(extra));
  return 0;
}

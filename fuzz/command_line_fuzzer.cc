// The command line on arbitrary words (the input up to its first 0x01 byte, split at NUL bytes),
// then the extra options on an arbitrary variable value (the rest, NUL read as a space), as -e
// applies them. After each parse: refused, or exactly one command, versions 1 or 2, the text
// fields within their limits, the file names the command needs present, lower-cased, and apart
// for generate. No word split from the value holds white space.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "frontend/command_line.h"
#include "frontend/extra_options.h"
#include "support/harness.h"

namespace {

using namespace kvr;

bool lower_case(const std::optional<std::string>& name) {
  return !name || std::none_of(name->begin(), name->end(), ::isupper);
}

void check(const RunSettings& s, Status status) {
  KVR_REQUIRE(status == 0 || status == 1);
  KVR_REQUIRE(s.generate_version >= 1 && s.generate_version <= 2);
  KVR_REQUIRE(s.parse_version >= 1 && s.parse_version <= 2);
  KVR_REQUIRE(s.variable_tail.size() <= kMaxVariableTail && s.variable_tail.starts_with("OPTIONS"));
  KVR_REQUIRE(s.config_file_name.size() <= kMaxConfigFileName + 4);
  KVR_REQUIRE(lower_case(s.input_name) && lower_case(s.output_name));
  if (status != 0) return;
  KVR_REQUIRE((s.help != 0) + (s.information != 0) + (s.extra_options != 0) + (s.generate != 0) +
                  (s.parse != 0) + (s.analyse != 0) ==
              1);
  KVR_REQUIRE(s.generate == 0 ||
              (s.input_name && s.output_name && *s.input_name != *s.output_name));
  KVR_REQUIRE((s.parse == 0 && s.analyse == 0) || s.input_name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = std::min(input.find('\x01'), input.size());
  std::vector<std::string> words(1);
  for (char c : input.substr(0, cut)) {
    if (c == '\0') {
      words.emplace_back();
    } else {
      words.back() += c;
    }
  }
  std::vector<const char*> pointers;
  for (const std::string& word : words) pointers.push_back(word.c_str());
  const testing::UniqueFile sink = testing::stream_with("");
  RunSettings settings;
  const std::int16_t status = parse_command_line(settings, static_cast<int>(words.size()),
                                                 pointers.data(), sink.get(), sink.get());
  check(settings, status);
  if (status != 0 || cut == input.size()) return 0;

  std::string value = input.substr(cut + 1, kVariableValueCapacity - 1);
  std::replace(value.begin(), value.end(), '\0', ' ');
  testing::FakeLibrary library;
  library.answers.variable = value;
  std::vector<char> word(value.size() + 1);
  for (const char* cursor = value.c_str(); split_next_word(word.data(), &cursor);) {
    KVR_REQUIRE(std::none_of(word.data(), word.data() + std::strlen(word.data()), ::isspace));
  }
  check(settings,
        load_extra_options(library, settings, kExtraOptionsPrefix, settings.variable_tail,
                           settings.config_file_name, parse_command_line, sink.get(), sink.get()));
  return 0;
}

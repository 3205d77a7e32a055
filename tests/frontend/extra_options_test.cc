#include "frontend/extra_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/command_line.h"
#include "support/fake_scan_library.h"
#include "support/test_files.h"

namespace kvr {
namespace {

using testing::contents_of;
using testing::empty_stream;
using testing::FakeScanLibrary;

std::vector<std::string> split(const std::string& text) {
  std::vector<std::string> words;
  std::vector<char> word(text.size() + 1);
  const char* cursor = text.c_str();
  while (std::size_t length = split_next_word(word.data(), &cursor)) {
    words.emplace_back(word.data(), length);
  }
  EXPECT_EQ(*cursor, '\0');
  return words;
}

TEST(SplitNextWordTest, BlanksBackslashesAndQuotes) {
  using Words = std::vector<std::string>;
  const std::vector<std::pair<std::string, Words>> rows = {
      {"", {}},
      {" \t\n\v\f\r ", {}},
      {"kvrbuild -v -g1 x", {"kvrbuild", "-v", "-g1", "x"}},
      {"  lead\ttab\nline  ", {"lead", "tab", "line"}},
      {"a\\\\\"b", {"a\\\"b"}},                     // two backslashes before a quote become one
      {"a\\\"b", {"a\"b"}},                         // one backslash before a quote disappears
      {"a\\\\b", {"a\\\\b"}},                       // backslashes not before a quote stay
      {"a\\\\\\\"b", {"a\\\"b"}},                   // three become one
      {"\"my file.cfg\"", {"\"my", "file.cfg\""}},  // no quoted spans
      {"end\\", {"end\\"}},
      {"x\\ y", {"x\\", "y"}},
  };
  for (const auto& [text, expected] : rows) EXPECT_EQ(split(text), expected) << text;
}

struct Loaded {
  Status status = 0;
  std::string errors;
  std::string out;
};

Loaded load(FakeScanLibrary& library, RunSettings& settings, const std::string& tail = "OPTIONS") {
  auto errors = empty_stream();
  auto out = empty_stream();
  Loaded result;
  result.status = load_extra_options(library, settings, kExtraOptionsPrefix, tail, "my.cfg",
                                     parse_command_line, errors.get(), out.get());
  result.errors = contents_of(errors.get());
  result.out = contents_of(out.get());
  return result;
}

TEST(LoadExtraOptionsTest, LibraryCallsRunInOrderUntilOneFails) {
  struct Row {
    Status load, get, unload;
    bool keeps_handle;
    Status expected;
    std::vector<std::string> calls;
  };
  const std::string get = "get UTILITY UTILITY_HI_OPTIONS";
  const std::vector<Row> rows = {
      {0, 0, 0, false, 0, {"load my.cfg", get, "unload"}},
      {-354, 0, 0, false, -354, {"load my.cfg"}},
      {0, -9, 0, false, -9, {"load my.cfg", get}},  // the handle left is freed
      {0, 0, -7, false, -7, {"load my.cfg", get, "unload"}},
      {0, 0, 0, true, 0, {"load my.cfg", get, "unload"}},
  };
  for (const Row& row : rows) {
    FakeScanLibrary library;
    library.load_status = row.load;
    library.get_status = row.get;
    library.unload_status = row.unload;
    library.unload_keeps_handle = row.keeps_handle;
    library.variable_exists = true;
    library.variable_value = "kvrbuild -a";
    RunSettings settings;
    settings.extra_options = 1;
    EXPECT_EQ(load(library, settings).status, row.expected);
    EXPECT_EQ(library.calls, row.calls);
    // Options are applied only when every call succeeded.
    EXPECT_EQ(settings.analyse, row.expected == 0 ? 1 : 0);
  }
}

TEST(LoadExtraOptionsTest, AMissingVariableChangesNothing) {
  FakeScanLibrary library;
  RunSettings settings;
  settings.extra_options = 1;
  Loaded result = load(library, settings, "OPTIONS_test1");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(library.calls[1], "get UTILITY UTILITY_HI_OPTIONS_test1");
  EXPECT_EQ(settings.extra_options, 1);
}

TEST(LoadExtraOptionsTest, TheVariableActsAsASecondCommandLine) {
  struct Row {
    std::string value;
    Status status;
    std::string out;
  };
  const std::vector<Row> rows = {
      {"kvrbuild -v -g1 x", 0, ""},
      {"-g2 a.cfg b.dat", 1, "Error: one of `-h/-e/-i/-g/-p/-a' must be used.\n"},
      {"kvrbuild -g2 -p2", 1, "Error: Only one of `-h/-e/-i/-g/-p/-a' may be used.\n"},
      {"kvrbuild -e", 0, ""},
  };
  for (const Row& row : rows) {
    FakeScanLibrary library;
    library.variable_exists = true;
    library.variable_value = row.value;
    RunSettings settings;
    auto sink = empty_stream();
    const char* first[] = {"kvrbuild", "-e", "-f", "my.cfg", "a.cfg", "b.dat", nullptr};
    ASSERT_EQ(parse_command_line(settings, 6, first, sink.get(), sink.get()), 0);
    Loaded result = load(library, settings);
    EXPECT_EQ(result.status, row.status) << row.value;
    EXPECT_EQ(result.out, row.out) << row.value;
    if (row.value == "kvrbuild -v -g1 x") {
      EXPECT_EQ(settings.verbose, 1);
      EXPECT_EQ(settings.generate, 1);
      EXPECT_EQ(settings.generate_version, 1);
      EXPECT_EQ(settings.input_name, "x");
      EXPECT_EQ(settings.output_name, "b.dat");
      EXPECT_EQ(settings.extra_options, 0);
    }
  }
}

}  // namespace
}  // namespace kvr

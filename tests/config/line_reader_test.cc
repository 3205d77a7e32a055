#include "config/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/text_compare.h"
#include "support/test_files.h"

namespace kvr {
namespace {

using testing::contents_of;
using testing::empty_stream;
using testing::stream_with;

struct ReadCase {
  const char* what;
  std::string bytes;
  std::vector<Status> statuses;      // one per read_line call
  std::vector<std::size_t> lengths;  // length after each successful read
};

TEST(ReadLine, ReadsLinesWithinTheLimit) {
  const std::string longest(4134, 'a');
  const std::vector<ReadCase> cases = {
      {"empty file", "", {-354}, {}},
      {"4134 characters and a newline", longest + "\n", {0, -354}, {4135}},
      {"4135 characters before the newline", longest + "a\n", {-356}, {}},
      {"4134 characters and CR LF", longest + "\r\nb", {0, 0, -354}, {4135, 1}},
      {"4135 characters at the end of the file", longest + "a", {-356}, {}},
      {"CR LF becomes LF", "ab\r\ncd", {0, 0, -354}, {3, 2}},
      {"a lone CR stays", "a\rb\n\r", {0, 0, -354}, {4, 1}},
      {"a zero byte ends the line", std::string("a\0b\nc", 5), {0, 0}, {1, 1}},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.what);
    auto input = stream_with(c.bytes);
    LineState line;
    LineSource source{input.get(), 0, nullptr};
    std::size_t next_length = 0;
    for (std::size_t i = 0; i < c.statuses.size(); ++i) {
      ASSERT_EQ(read_line(line, source), c.statuses[i]) << "read " << i;
      if (c.statuses[i] == kStatusOk) {
        EXPECT_EQ(line.length, c.lengths[next_length++]);
        EXPECT_EQ(line.column, 0);
      }
    }
  }
}

// Verbose reading echoes each line read, numbered, the too-long one included; quiet reading none.
TEST(ReadLine, EchoesEveryLineReadOnlyWhenVerbose) {
  const std::string too_long(4135, 'x');
  struct Case {
    std::string bytes;
    std::uint16_t verbose;
    std::vector<Status> statuses;
    std::string echo;
  } cases[] = {
      {";CFG-2.0\nlast", 1, {0, 0, -354}, "000001 ;CFG-2.0\n000002 last"},
      {";CFG-2.0\n\"a\" DBM\n", 1, {0, 0, -354}, "000001 ;CFG-2.0\n000002 \"a\" DBM\n"},
      {"ok\n" + too_long + "\n", 1, {0, -356}, "000001 ok\n000002 " + too_long},
      {"a\nb\n", 0, {0, 0, -354}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 20));
    auto input = stream_with(c.bytes);
    auto echo = empty_stream();
    LineState line;
    LineSource source{input.get(), c.verbose, echo.get()};
    for (Status status : c.statuses) ASSERT_EQ(read_line(line, source), status);
    EXPECT_EQ(line.line_number, 2);
    EXPECT_EQ(contents_of(echo.get()), c.echo);
  }
}

struct SkipCase {
  std::string bytes;
  Status status;
  int line_number;
  char at;  // character at `column` on success
};

TEST(SkipBlanks, PassesOverBlanksCommentsAndEmptyLines) {
  const std::vector<SkipCase> cases = {
      {"x", 0, 1, 'x'},
      {" \t\r\n\n   ; comment \"a\" [b]\n\t; more\n  \v", 0, 5, '\v'},
      {";only a comment\n   \n\t", -354, 3, 0},
      {"", -354, 0, 0},
      {"\n" + std::string(4135, ' ') + "\nx", -356, 2, 0},
      {"\x01", 0, 1, '\x01'},
  };
  for (const SkipCase& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 40));
    auto input = stream_with(c.bytes);
    LineState line;
    LineSource source{input.get(), 0, nullptr};
    EXPECT_EQ(skip_blanks(line, source), c.status);
    EXPECT_EQ(line.line_number, c.line_number);
    if (c.status == kStatusOk) {
      EXPECT_EQ(line.buffer[line.column], c.at);
    }
  }
}

struct CompareCase {
  const char* first;
  const char* second;
  std::size_t n;  // 0: equal_nocase
  int expected;
};

TEST(TextCompare, IgnoresLetterCaseOnly) {
  const std::vector<CompareCase> cases = {
      {";cfg-2.0 and more", ";CFG-2.0", 8, 0},
      {";CFG", ";CFG-2.0", 8, 1},
      {";CFG-2.1", ";CFG-2.0", 8, 1},
      {"abc", "ABC", 8, 0},  // both end together within n
      {"abcd", "ABCE", 3, 0},
      {"Yes", "YES", 0, 0},
      {"YESS", "YES", 0, 1},
      {"YE", "YES", 0, 1},
      {"[", "{", 0, 1},  // only A-Z and a-z pair up
      {"@", "`", 0, 1},
  };
  for (const CompareCase& c : cases) {
    SCOPED_TRACE(std::string(c.first) + " / " + c.second);
    int got = c.n == 0 ? equal_nocase(c.first, c.second) : equal_nocase_n(c.first, c.second, c.n);
    EXPECT_EQ(got, c.expected);
  }
}

}  // namespace
}  // namespace kvr

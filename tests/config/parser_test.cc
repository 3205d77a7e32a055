// The configuration parser through its seam: a text in, a status with its line number and the
// board model out.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "base/ascii.h"
#include "config/board_config_parser.h"
#include "frontend/console_text.h"
#include "support/harness.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace kvr {
namespace {

using testing::parse_text;
using testing::Parsed;

struct Case {
  int version;
  std::string text;
  Status status;
  std::uint32_t line;
};

const std::string kLabel = ";CFG-2.0\n";

TEST(ParserTest, EachTextGivesItsStatusAtItsLine) {
  const std::string name32(32, 'n');
  const std::string string4096 = "'" + std::string(4094, 's') + "'";
  const std::string string4097 = "'" + std::string(4095, 's') + "'";
  // 260,000 bytes: what follows stands near the end of the reader's first block of 262,144.
  std::string comments2600;
  for (int i = 0; i < 2600; ++i) comments2600 += ";" + std::string(98, 'x') + "\n";
  const std::vector<Case> cases = {
      // Labels, lines, blanks and comments.
      {2, "", -354, 0},
      {1, "", 0, 0},
      {2, ";cfg-2.0 and more", 0, 1},
      {2, " ;CFG-2.0\n", -248, 1},
      {2, ";CFG-2.", -248, 1},
      {2, kLabel + "; only\n\n \t; comments\n", 0, 4},
      {1, "\"a\" DBM \x0b", -370, 1},
      {1, std::string("\"a\" DBM") + '\0' + "\"b\" ?\n\"c\" DBM", 0, 2},
      {1, "\"a\" DBM\n\x1a\"b\" ?\njunk", 0, 1},
      {1, "\"a\" DBM\n\x1a" + std::string(300000, '\n') + "\"b\" ?", 0, 1},  // and past a block
      {1,
       comments2600 + "\"a\" DBM" + '\0' + "x\n\"b\" DBM" + std::string(3000, '\0') + "\n\"c\" ?",
       -383, 2603},
      {1, "; " + std::string(4132, 'x') + "\n\"a\" ?", -383, 2},
      {1, "; " + std::string(4132, 'x') + "\r\n\"a\" ?", -383, 2},  // the read ends at the CR
      {1, "; " + std::string(4133, 'x') + "\n", -356, 1},
      {1, std::string(65536, '\n') + "\"a\" ?", -383, 1},
      // Configure variables.
      {2, kLabel + "[" + name32 + "] 1", 0, 2},
      {2, kLabel + "[" + name32 + "n] 1", -361, 2},
      {2, kLabel + "[" + name32 + "", -361, 2},
      {2, kLabel + "[] 1", -362, 2},
      {2, kLabel + "[1a] 1", -363, 2},
      {2, kLabel + "[_a] 1", -363, 2},
      {2, kLabel + "[a b] 1", -363, 2},
      {2, kLabel + "[ab", -363, 2},
      {2, kLabel + "[a_1] 1\n[A_1] 2", -364, 3},
      {2, kLabel + "[a] 1\n[A]\n1x", -364, 3},
      {2, kLabel + "[a]\n\n  1", 0, 4},
      {2, kLabel + "[a]\n[b] 1", -365, 3},
      {2, kLabel + "[a] ; no value", -354, 2},
      {2, kLabel + "[a] 0x\n[b] 0\n[c] 0XaBc\n[d] 0x12345678\n[e] 012345670", 0, 6},
      {2, kLabel + "[a] 12345678\n[b] yes\n[c] Zero\n[d] negative\n[e] 1;2", 0, 6},
      {2, kLabel + "[a] 0x123456789", -365, 2},
      {2, kLabel + "[a] 0x12g", -365, 2},
      {2, kLabel + "[a] 0123456701", -365, 2},
      {2, kLabel + "[a] 08", -365, 2},
      {2, kLabel + "[a] 123456789", -365, 2},
      {2, kLabel + "[a] 1a", -365, 2},
      {2, kLabel + "[a] 1 2", -365, 2},
      {2, kLabel + "[a] -1", -365, 2},
      {2, kLabel + "[a] maybe", -365, 2},
      {2, kLabel + "[a] 'x' ; c\n[b] ''\n[c] ';'\n[d] 'a\\1'\n[e] 'x'\t \r\n", 0, 6},
      {2, kLabel + "[a] " + string4096, 0, 2},
      {2, kLabel + "[a] " + string4097, -365, 2},
      {2, kLabel + "[a] 'x' y", -365, 2},
      {2, kLabel + "[a] 'x", -365, 2},
      {2, kLabel + "[a] 'a\\0'", -365, 2},
      {2, kLabel + "[a] 'x' \r; c", -365, 2},
      // Device names.
      {2, kLabel + "\"abcdefgh\" DBM \"a_1\"DBM", 0, 2},
      {2, kLabel + "\"Zz_9\" DBM \"abcdefghi\" DBM", -375, 2},
      {2, kLabel + "\"\" DBM", -372, 2},
      {2, kLabel + "\"1a\" DBM", -373, 2},
      {2, kLabel + "\"a-b\" DBM", -373, 2},
      {2, kLabel + "\"ab\n\" DBM", -373, 2},
      {2, kLabel + "a DBM", -370, 2},
      {2, kLabel + "{ \"a\" DBM }", -391, 2},
      {2, kLabel + "\"Cpu_A\" DBM\n\"cpu_a\" DBM", -374, 3},
      {2, kLabel + "\"a\" DBM\n\"A\"\nNOPE", -374, 3},
      {2, kLabel + "\"a\" DBM\n\"a\" DBM\n\"b\" NOPE", -374, 3},
      {2, kLabel + "\"a\"\n; the end", -354, 3},
      // Class IDs on the main path.
      {2, kLabel + "\"a\" " + std::string(33, 'Q'), -384, 2},
      {2, kLabel + "\"a\" NOPE", -381, 2},
      {1, "\"a\" NOPE", -383, 1},
      {1, "\"a\" GENERIC01F", -383, 1},
      {2, kLabel + "\"a\" DBM{", -383, 2},
      {2, kLabel + "\"a\" GENERIC1", -383, 2},
      {2, kLabel + "\"a\" BYPASS8", -383, 2},
      {2, kLabel + "\"a\" BYPASS000", -390, 2},
      {2, kLabel + "\"a\" BYPASS401", -390, 2},
      {2, kLabel + "\"a\" GENERIC000", -390, 2},
      {2, kLabel + "\"a\" ASP123", -386, 2},
      {2, kLabel + "\"a\" ASP12", -383, 2},
      {2, kLabel + "\"a\" QV740WKZ1", -383, 2},
      {2, kLabel + "\"a\" QV741", -381, 2},
      {1, "\"a\" QV741", -383, 1},
      // Linkers and their four groups.
      {2, kLabel + "\"l\" SPL {}{}{}{}", 0, 2},
      {2, kLabel + "\"l\" SPL{}{}{}{}", -383, 2},
      {2, kLabel + "\"l\" SPL {}{}{}", -354, 2},
      {2, kLabel + "\"l\" SPL {}{}{}{}{}", -391, 2},
      {2, kLabel + "\"l\" SPL\nx", -391, 3},
      {2, kLabel + "\"l\" SPL { \"b\" BYPASS8 \"c\" GENERIC1F } {}{}{}", 0, 2},
      {2, kLabel + "\"l\" SPL { \"b\" SPL } {}{}{}", -380, 2},
      {2, kLabel + "\"l\" SPL { \"b\" ASP123 } {}{}{}", -380, 2},
      {1, "\"l\" SPL { \"b\" ASP123 } {}{}{}", -383, 1},
      {2, kLabel + "\"l\" SPL { [a] 1 } {}{}{}", -370, 2},
      {2, kLabel + "\"l\" SPL { { } {}{}{}", -391, 2},
      {2, kLabel + "\"l\" SPL { \"b\" DBM", -354, 2},
      {2, kLabel + "\"l\" SPL { \"b\" DBM} {}{}{}", -383, 2},
      {2, kLabel + "\"l\" SPL { \"b\" BYPASS000 } {}{}{}", -390, 2},
      {2, kLabel + "\"l\" SPL { \"b\" NOPE } {}{}{}", -381, 2},
      {2, kLabel + "\"l\" SPL { \"b\" \"c\" } {}{}{}", -381, 2},
      {2, kLabel + "\"l\" SPL { \"l\" DBM } {}{}{}", -374, 2},
  };
  for (const Case& c : cases) {
    // Verbose, the names are checked as they are read; otherwise afterwards: the same outcome.
    for (const bool verbose : {false, true}) {
      const Parsed parsed = parse_text(c.text, static_cast<std::uint8_t>(c.version), verbose);
      EXPECT_EQ(parsed.status, c.status) << verbose << c.text.substr(0, 60);
      EXPECT_EQ(parsed.line, c.line) << verbose << c.text.substr(0, 60);
    }
  }
  // The verbose echo shows each line as it is read, a CR LF line end as LF.
  EXPECT_EQ(parse_text(";CFG-2.0\r\n\r\n\"a\" DBM", 2, true).echo,
            "000001 ;CFG-2.0\n000002 \n000003 \"a\" DBM");
  // A duplicate name ends the parse before a later line is read.
  EXPECT_EQ(parse_text(";CFG-2.0\n\"a\" DBM\n\"a\"\nDBM", 2, true).echo,
            "000001 ;CFG-2.0\n000002 \"a\" DBM\n000003 \"a\"\n");
}

// Seeded boards of up to 20,000 devices and variables, one statement a line, with names used again
// (in other letter case) and sometimes an unknown class ID after them: the first name used again,
// in file order, ends the parse at its line, before a later fault, whether the names are checked
// as they are read (verbose) or all together afterwards.
TEST(ParserTest, TheFirstNameUsedAgainEndsTheParseAtItsLine) {
  std::mt19937 random(25);
  const auto below = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  for (int round = 0; round < 24; ++round) {
    const std::size_t count = 2 + below(round % 4 == 0 ? 20000 : 300);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < count; ++i) {
      names.push_back(below(2) == 0 ? "\"d" + std::to_string(i) + "\" DBM"
                                    : "[v" + std::to_string(i) + "] 1");
    }
    std::size_t first = count;  // the statement that uses a name again first
    for (std::size_t repeats = below(4); repeats > 0; --repeats) {
      const std::size_t later = 1 + below(count - 1);
      names[later] = upper_cased(names[below(later)]);
      first = std::min(first, later);
    }
    const std::size_t fault = below(2) == 0 ? below(count) : count;
    if (fault < count) names[fault] = "\"zz\" NOPE";
    std::string text = kLabel;
    for (const std::string& name : names) text += name + "\n";
    // A fault at or before the first statement used again hides it (the line of that statement
    // is then no longer a repeat: "zz" is new); 2 is the first statement's line.
    const bool repeat_first = first < fault;
    const Status status =
        repeat_first ? (names[first][0] == '"' ? -374 : -364) : (fault < count ? -381 : 0);
    const std::uint32_t line = static_cast<std::uint32_t>(
        repeat_first ? first + 2 : (fault < count ? fault + 2 : count + 1));
    for (const bool verbose : {false, true}) {
      const Parsed parsed = parse_text(text, 2, verbose);
      EXPECT_EQ(parsed.status, status) << round << " " << verbose;
      EXPECT_EQ(parsed.line, line) << round << " " << verbose;
    }
#if !defined(_WIN32)
    // A source that cannot be read a second time has its names checked as they are read.
    if (text.size() < 60000) {  // what a pipe holds without a reader
      int ends[2];
      ASSERT_EQ(pipe(ends), 0);
      ASSERT_EQ(write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
      close(ends[1]);
      const testing::UniqueFile pipe_stream(fdopen(ends[0], "r"));
      BoardModel model;
      std::uint32_t piped_line = 0;
      EXPECT_EQ(parse_board_config(model, LineSource{pipe_stream.get(), 0, nullptr}, nullptr,
                                   &piped_line, 2),
                status)
          << round;
      EXPECT_EQ(piped_line, line) << round;
    }
#endif
  }
}

// Class-ID digits that are not plain hexadecimal: a wildcard, a sign, a 0X prefix, a character no
// digit. (The random boards parse every family's plain form, expecting the program's own table.)
TEST(ParserTest, OddClassIdDigitsGiveTheirIrLengthClassAndClassBlock) {
  struct Family {
    int version;
    const char* class_id;
    std::uint32_t ir, high_level, class_count, size;
  };
  const std::vector<Family> families = {
      {2, "GENERIC0X1", 1, 0x1001, 16, 0x1400},  // a 0X prefix with a digit after it
      {2, "QV760M14x01", 8, 0x6000, 16, 0x1400}, {2, "QV740K8x", 8, 0x7200, 16, 0x1400},
      {2, "QVARM9xx", 4, 0x8100, 16, 0x1400},    {2, "QV740K72x", 8, 0x9100, 16, 0x1400},
      {2, "QV740K42-1", 38, 0xB3FF, 16, 0x1400}, {2, "QV740K42+F", 38, 0xB40F, 16, 0x1400},
      {1, "QV740WK9x", 8, 0x900, 16, 0x1400},    {1, "QV740K6x", 8, 0x500, 16, 0x8300},
      {1, "QVARM92Z", 4, 0x800, 16, 0x1400},     {1, "QV740K4x", 8, 0x400, 16, 0x1400},
      {1, "QV740K41x", 46, 0xF00, 16, 0x1400},
  };
  for (const Family& f : families) {
    const std::string text = f.version == 2 ? kLabel : "";
    const Parsed parsed =
        parse_text(text + "\"d\" " + f.class_id, static_cast<std::uint8_t>(f.version));
    ASSERT_EQ(parsed.status, 0) << f.class_id;
    EXPECT_EQ(parsed.devices[0].mainIR, f.ir) << f.class_id;
    EXPECT_EQ(parsed.device_classes[0], f.high_level) << f.class_id;
    ASSERT_EQ(parsed.model.class_count, f.class_count) << f.class_id;
    EXPECT_EQ(parsed.model.classes.back().rev, f.class_count - 1) << f.class_id;
    EXPECT_EQ(parsed.model.classes.back().size, f.size) << f.class_id;
  }
}

// The information text lists the class IDs with the IR length of each: every one resolves to it.
TEST(ParserTest, EachListedClassIdHasTheIrLengthItsTextStates) {
  const std::regex listed(R"(  (\w+) +- .* (\d+)-bit JTAG IR)");
  int ids = 0;
  for (const char* const* line = kBriefInformationLines; *line != nullptr; ++line) {
    std::cmatch m;  // "  QV740K73xx  - The K7000 DSP devices with a 38-bit JTAG IR"
    if (!std::regex_match(*line, m, listed)) continue;
    std::string id = m[1];
    std::replace(id.begin(), id.end(), 'x', '1');
    const Parsed parsed = parse_text(kLabel + "\"d\" " + id, 2);
    ASSERT_EQ(parsed.status, 0) << id;
    EXPECT_EQ(parsed.devices[0].mainIR, std::stoul(m[2])) << id;
    ++ids;
  }
  EXPECT_EQ(ids, 18);
}

}  // namespace
}  // namespace kvr

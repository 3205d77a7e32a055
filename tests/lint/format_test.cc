// kvrview --fmt: one canonical layout for every board.cfg that compiles, which compiles to the
// same database bytes and is its own layout; a file with an error is left as it is.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lint/board_format.h"
#include "support/harness.h"
#include "support/view_run.h"

namespace kvr {
namespace {

// The databases of both versions that `text` compiles to, as a board.cfg of `version`.
std::string databases_of(const std::string& text, std::uint8_t version) {
  const testing::Parsed parsed = testing::parse_text(text, version);
  EXPECT_EQ(parsed.status, 0) << text;
  return testing::write_bytes(parsed.model, 1) + "|" + testing::write_bytes(parsed.model, 2);
}

TEST(FormatTest, EveryGeneratedBoardKeepsItsBytesAndIsItsOwnLayout) {
  for (unsigned seed = 0; seed < 300; ++seed) {
    for (const std::uint8_t version : {std::uint8_t{1}, std::uint8_t{2}}) {
      const testing::GeneratedBoard board = testing::generate_board(seed, version);
      const FormatResult formatted = format_board_text(board.text);
      ASSERT_TRUE(formatted.ok) << formatted.reason << "\n" << board.text;
      EXPECT_EQ(databases_of(formatted.text, version), databases_of(board.text, version))
          << board.text << "\n----\n"
          << formatted.text;
      EXPECT_EQ(format_board_text(formatted.text).text, formatted.text) << formatted.text;
    }
  }
}

struct FormatRow {
  std::vector<std::string> options;
  std::string text;
  int exit_status;
  std::string out, err;
  std::string file_after;  // what b.cfg holds afterwards
};

TEST(FormatTest, TheLayoutIsPrintedOrWrittenBackAndABrokenFileIsLeftAsItIs) {
  const std::string messy =
      ";CFG-2.0 a board\r\n[vorta_ecommode] yes ; boolean\r\n  [VORTA_ECOM_PORT]\r\n 0x240\r\n"
      "\r\n\r\n; the path\r\n\"cpu_a\" QV740K82xx \"link\" SPL { \"d1\" QV740K42xx ; a dsp\r\n"
      "\"d22\"\tBYPASS008 } {}\r\n{ ; the arm\r\n\"arm\" QVARM9xx }{}\r\n\"cpu_b\"\r\nQVARM9xx";
  const std::string laid =
      ";CFG-2.0 a board\r\n[vorta_ecommode]  yes    ; boolean\r\n[VORTA_ECOM_PORT] 0x240\r\n\r\n"
      "; the path\r\n\"cpu_a\" QV740K82xx\r\n\"link\"  SPL\r\n{\r\n  \"d1\"  QV740K42xx  ; a "
      "dsp\r\n"
      "  \"d22\" BYPASS008\r\n}\r\n{}\r\n{  ; the arm\r\n  \"arm\" QVARM9xx\r\n}\r\n{}\r\n"
      "\"cpu_b\" QVARM9xx\r\n";
  const std::string broken = ";CFG-2.0\n\"a\" QVARM9\n";
  // A comment two blanks after its value, as the layout puts it, on a line of the most bytes a
  // line may hold.
  const std::string value = "[VORTA_ECOM_DRVR] '" + std::string(4000, 'x') + "'";
  const std::string comment = "; " + std::string(110, 'c');
  const std::vector<FormatRow> rows = {
      // The layout on standard output, line ends kept; written back in place.
      {{"--fmt"}, messy, 0, laid, "", messy},
      {{"--fmt", "--in-place"}, messy, 0, "", "", laid},
      {{"--fmt"},
       ";CFG-2.0\n" + value + " " + comment + "\n",
       0,
       ";CFG-2.0\n" + value + "  " + comment + "\n",
       "",
       ";CFG-2.0\n" + value + " " + comment + "\n"},
      // A file with an error, or with a byte the layout cannot keep, is left as it is.
      {{"--fmt", "--in-place"},
       broken,
       1,
       "",
       "b.cfg: error: left as it is: line 2: Class ID invalid [-383]\n",
       broken},
      {{"--fmt"},
       ";CFG-2.0\r\"a\" DBM\n",
       1,
       "",
       "b.cfg: error: left as it is: it holds a carriage return without a line feed\n",
       ";CFG-2.0\r\"a\" DBM\n"},
  };
  testing::Sandbox sandbox;
  for (const FormatRow& row : rows) {
    sandbox.write("b.cfg", row.text);
    std::vector<std::string> words = row.options;
    words.push_back("b.cfg");
    const testing::RunResult run = testing::kvrview(words);
    EXPECT_EQ(run.exit_status, row.exit_status) << row.text;
    EXPECT_EQ(run.out, row.out);
    EXPECT_EQ(run.err, row.err);
    EXPECT_EQ(sandbox.read("b.cfg"), row.file_after);
  }
}

}  // namespace
}  // namespace kvr

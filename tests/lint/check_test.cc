// kvrview --check as a compiler: each row a board.cfg and everything --check says of it, with its
// exit status. An error keeps kvrbuild's status and line, and gains notes and help; each named
// check warns once, and its -Wno- form silences it.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "frontend/console_text.h"
#include "library/error_texts.h"
#include "lint/board_analysis.h"
#include "lint/documented_variables.h"
#include "support/view_run.h"

namespace kvr {
namespace {

// kvrbuild's explanation of `status`, as kvrview shows it.
std::string explained(Status status) {
  std::string text = find_error_text(status)->explanation;
  for (std::size_t at; (at = text.find("the -i option")) != std::string::npos;) {
    text.replace(at, 13, "`kvrbuild -i'");
  }
  return text;
}

struct Row {
  std::string text;
  std::vector<std::string> options;
  int exit_status;
  std::string said;        // what --check says, but for the explanation of an error
  Status status = 0;       // the error, whose explanation ends what it says
  std::string check = "";  // the check that warns; -Wno-CHECK leaves the file clean
};

// One row a family of findings.
const std::vector<Row>& check_rows() {
  static const std::string v2 = ";CFG-2.0\n";
  // clang-format off
  static const std::vector<Row> rows = {
      // Notes: where the first of two names stands, where a string begins and its line ends.
      {v2 + "\"a\" DBM\n\"A\" DBM\n", {}, 1,
       "b.cfg:3:1: error: Device name used twice [-374]\n\"A\" DBM\n^\n"
       "b.cfg:2:1: note: the first device named `a' stands here\n\"a\" DBM\n^\n", -374},
      {v2 + "[Pod_Port] 1\n[POD_PORT] 2\n", {}, 1,
       "b.cfg:3:1: error: Variable name used twice [-364]\n[POD_PORT] 2\n^\n"
       "b.cfg:2:1: note: the first variable named [Pod_Port] stands here\n[Pod_Port] 1\n^\n", -364},
      {v2 + "[x] 'abc\n", {}, 1,
       "b.cfg:2:5: error: Variable value invalid [-365]\n[x] 'abc\n    ^\n"
       "b.cfg:2:5: note: this string has no closing quote\n"
       "b.cfg:2:9: note: its line ends here\n[x] 'abc\n        ^\n"
       "b.cfg:2:5: help: end the string with ' on the same line\n", -365},
      {v2 + "[x] 'abc' z\n", {}, 1,
       "b.cfg:2:5: error: Variable value invalid [-365]\n[x] 'abc' z\n    ^\n"
       "b.cfg:2:11: note: only blanks and a comment may follow the string on its line\n"
       "[x] 'abc' z\n          ^\n", -365},
      {" ;CFG-2.0\n\"a\" QV740K42A5\n", {}, 1,
       "b.cfg:2:5: error: Class ID invalid [-383]\n\"a\" QV740K42A5\n    ^\n"
       "b.cfg:2:5: help: `QV740K42A5' is a class ID of version 2 files, which begin with the label "
       "`;CFG-2.0'\nb.cfg: note: read as a version 1 file: it does not begin with the label "
       "`;CFG-2.0' (a blank stands before it)\n", -383},
      {"\xEF\xBB\xBF;CFG-2.0\n", {}, 1,
       "b.cfg:1:1: error: Device name not quoted [-370]: the file begins with a UTF-8 byte-order "
       "mark (the bytes EF BB BF)\n\xEF\xBB\xBF;CFG-2.0\n^\n"
       "b.cfg:1:1: help: save the file without the byte-order mark\n"
       "b.cfg: note: read as a version 1 file: it does not begin with the label `;CFG-2.0' (a "
       "UTF-8 byte-order mark stands before it)\n", -370},
      // Help: the class ID meant, or nothing when none is close.
      {v2 + "\"a\" BYPASS10\n", {}, 1,
       "b.cfg:2:5: error: Class ID invalid [-383]\n\"a\" BYPASS10\n    ^\n"
       "b.cfg:2:5: help: did you mean 'BYPASS010'?\n", -383},
      {v2 + "\"a\" QVARM9\n", {}, 1,
       "b.cfg:2:5: error: Class ID invalid [-383]\n\"a\" QVARM9\n    ^\n"
       "b.cfg:2:5: help: did you mean 'QVARM9xx'?\n", -383},
      {v2 + "\"l\" SPL {\"b\" DBM}{}{}{}\n", {}, 1,
       "b.cfg:2:14: error: Class ID invalid [-383]\n\"l\" SPL {\"b\" DBM}{}{}{}\n             ^\n"
       "b.cfg:2:14: help: a brace written directly after a class ID belongs to it: put a blank "
       "before the `}'\n", -383},
      {v2 + "\"a\" FOO123\n", {}, 1,
       "b.cfg:2:5: error: Class ID unknown [-381]\n\"a\" FOO123\n    ^\n"
       "A class ID begins like no device family.  The list of class IDs is\n"
       "printed by `kvrbuild -i'.\n"},
      // The checks, each once.
      {v2 + "\"a\" QV740K88\n", {}, 0,
       "b.cfg:2:5: warning: class ID `QV740K88' is taken as QV740K8x (8 IR bits), but it begins "
       "like QV740K88xx (38 IR bits) with its last 2 characters missing [-Wclass-id-prefix]\n"
       "\"a\" QV740K88\n    ^\nb.cfg:2:5: help: write `QV740K88xx' in full where that family is "
       "meant\n", 0, "class-id-prefix"},
      {v2 + "\"a\" QVARM9zz \"b\" QVARM9x1\n", {}, 0,
       "b.cfg:2:11: warning: the characters `zz' of class ID `QVARM9zz' are not hexadecimal "
       "digits: they are read as 0x0, which gives the high-level class 0x8100 [-Wclass-id-digits]\n"
       "\"a\" QVARM9zz \"b\" QVARM9x1\n          ^\nb.cfg:2:11: help: write the 2 characters after "
       "`QVARM9' as hexadecimal digits, or as x's\n"
       "b.cfg:2:24: warning: the characters `x1' of class ID `QVARM9x1' are not hexadecimal "
       "digits: they are read as 0x0, which gives the high-level class 0x8100 [-Wclass-id-digits]\n"
       "\"a\" QVARM9zz \"b\" QVARM9x1\n                       ^\nb.cfg:2:24: help: write the 2 "
       "characters after `QVARM9' as hexadecimal digits, or as x's\n", 0, "class-id-digits"},
      {v2 + "[VORTA_TDOEDGX] 'x'\n[utility_hi_options_x] 'x -h'\n[QQ] 1\n", {}, 0,
       "b.cfg:2:2: warning: variable [VORTA_TDOEDGX] is not one that `kvrbuild -vi' documents "
       "[-Wunknown-variable]\n[VORTA_TDOEDGX] 'x'\n ^\n"
       "b.cfg:2:2: help: did you mean [VORTA_TDOEDGE]?\n"
       "b.cfg:4:2: warning: variable [QQ] is not one that `kvrbuild -vi' documents "
       "[-Wunknown-variable]\n[QQ] 1\n ^\n", 0, "unknown-variable"},
      {v2 + "[VORTA_ECOMMODE] 1\n[POD_PORT] 'USB'\n", {}, 0,
       "b.cfg:2:18: warning: [VORTA_ECOMMODE] takes a boolean, but `1' is a number "
       "[-Wvariable-kind]\n[VORTA_ECOMMODE] 1\n                 ^\nb.cfg:2:18: help: write yes or "
       "no\n", 0, "variable-kind"},
      {v2 + "[VORTA_SIZE_IRPATH] 012\n[vorta_size_drpath] 0x12\n\"a\" DBM\n\"l\" SPL {\"b\" "
            "BYPASS004 }{}{}{}\n", {}, 0,
       "b.cfg:2:21: warning: [VORTA_SIZE_IRPATH] is 10, but the scan path holds 16 or 20 IR bits, "
       "as its linkers select a sub-path or none [-Wpath-size]\n[VORTA_SIZE_IRPATH] 012\n"
       "                    ^\nb.cfg:2:21: help: give 0 to have the length worked out from the "
       "scan path, or -Wno-path-size where the description leaves devices out on purpose\n"
       "b.cfg:3:21: warning: [vorta_size_drpath] is 18, but the scan path holds 2 or 3 devices, as "
       "its linkers select a sub-path or none [-Wpath-size]\n[vorta_size_drpath] 0x12\n"
       "                    ^\nb.cfg:3:21: help: give 0 to have the length worked out from the "
       "scan path, or -Wno-path-size where the description leaves devices out on purpose\n", 0,
       "path-size"},
      {";CFG-2.0\r\n\"a\" DBM\r\n", {}, 0, ""},  // CR LF line ends are line ends
      {";CFG-2.0\r\"a\" DBM\r", {}, 0,
       "b.cfg:1:9: warning: a carriage return without a line feed ends no line: what follows it "
       "is read as part of this line [-Wcr-line-ends]\nb.cfg:1:9: help: save the file with LF or "
       "CR LF line ends\n", 0, "cr-line-ends"},
      {v2 + "\"l\" SPL {}{}{}{}\n", {}, 0,
       "b.cfg:2:1: warning: linker `l' has four empty sub-paths [-Wempty-linker]\n"
       "\"l\" SPL {}{}{}{}\n^\nb.cfg:2:1: help: list the devices of its sub-paths in its four "
       "groups, or remove it\n", 0, "empty-linker"},
      {" ;CFG-2.0\n\"a\" DBM\n", {}, 0,
       "b.cfg:1:2: warning: the label `;CFG-2.0' comes after a blank, so the file is read as a "
       "version 1 board configuration [-Wlabel]\n ;CFG-2.0\n ^\nb.cfg:1:2: help: begin the file "
       "with the label itself\n", 0, "label"},
      // A warning made an error; warnings before an error, in file order.
      {v2 + "\"l\" SPL {}{}{}{}\n", {"-Werror=empty-linker"}, 1,
       "b.cfg:2:1: error: linker `l' has four empty sub-paths [-Werror=empty-linker]\n"
       "\"l\" SPL {}{}{}{}\n^\nb.cfg:2:1: help: list the devices of its sub-paths in its four "
       "groups, or remove it\n"},
      {v2 + "\"a\" QV740K88\n\"b\" QVARM9\n", {"-Werror", "-Wno-class-id-prefix"}, 1,
       "b.cfg:3:5: error: Class ID invalid [-383]\n\"b\" QVARM9\n    ^\n"
       "b.cfg:3:5: help: did you mean 'QVARM9xx'?\n", -383},
      // The reading goes on after an error: three mistakes, three errors, each explained.
      {v2 + "\"cpu\" QVARM9\n[VORTA_LINKDLY] ; 10\n\"dsp\" DBM\n\"link\" SPL {\"x\" BYPASS8} {} {}\n"
            "\"arm\" DBM\n", {}, 1,
       "b.cfg:2:7: error: Class ID invalid [-383]\n\"cpu\" QVARM9\n      ^\n"
       "b.cfg:2:7: help: did you mean 'QVARM9xx'?\n" + explained(-383) +
       "b.cfg:4:1: error: Variable value invalid [-365]\n\"dsp\" DBM\n^\n"
       "b.cfg:3:1: note: the value of [VORTA_LINKDLY] is looked for after its name, and `; 10' on "
       "its line is a comment\n[VORTA_LINKDLY] ; 10\n^\n"
       "b.cfg:4:1: help: remove the ';' to give [VORTA_LINKDLY] the value `10'\n" + explained(-365) +
       "b.cfg:5:26: error: Brace misplaced [-391]\n\"link\" SPL {\"x\" BYPASS8} {} {}\n"
       "                         ^\n"
       "b.cfg:5:12: note: group 0 of linker `link' opens here, and no `}' closes it before the "
       "error\n\"link\" SPL {\"x\" BYPASS8} {} {}\n           ^\n"
       "b.cfg:5:17: note: the `}' of `BYPASS8}' belongs to its class ID\n"
       "\"link\" SPL {\"x\" BYPASS8} {} {}\n                ^\n"
       "b.cfg:5:26: help: a brace written directly after a class ID belongs to it: put a blank "
       "before the `}'\n", -391},
      // A linker short of groups, a group never closed, a reserved family never offered, the
      // caret of a bad name on its bad byte.
      {v2 + "\"l\" SPL {}{}{}\n\"x\" DBM\n", {}, 1,
       "b.cfg:3:1: error: Brace misplaced [-391]\n\"x\" DBM\n^\n"
       "b.cfg:2:1: note: linker `l' has 3 groups; a linker takes exactly four, one for each "
       "sub-path\n\"l\" SPL {}{}{}\n^\nb.cfg:3:1: help: add the missing empty groups\n", -391},
      {v2 + "\"l\" SPL { \"a\" DBM\n", {}, 1,
       "b.cfg:2:18: error: Configure file ends too early [-354]\n\"l\" SPL { \"a\" DBM\n"
       "                 ^\nb.cfg:2:9: note: group 0 of linker `l' opens here, and no `}' "
       "closes it before the error\n\"l\" SPL { \"a\" DBM\n        ^\n", -354},
      {v2 + "\"x\" ASPaa\n[VORTA LINKDLY] 1\n", {}, 1,
       "b.cfg:2:5: error: Class ID invalid [-383]\n\"x\" ASPaa\n    ^\n" + explained(-383) +
       "b.cfg:3:7: error: Variable name invalid [-363]\n[VORTA LINKDLY] 1\n      ^\n", -363},
  };  // clang-format on
  return rows;
}

TEST(CheckTest, EveryNoteHelpAndCheckSaysWhatIsWrongAndWhatToDo) {
  const std::vector<Row>& rows = check_rows();
  testing::Sandbox sandbox;
  for (const Row& row : rows) {
    sandbox.write("b.cfg", row.text);
    std::vector<std::string> words = {"--check"};
    words.insert(words.end(), row.options.begin(), row.options.end());
    words.push_back("b.cfg");
    testing::RunResult run = testing::kvrview(words);
    EXPECT_EQ(run.exit_status, row.exit_status) << row.text;
    EXPECT_EQ(run.err, row.said + (row.status != 0 ? explained(row.status) : "")) << row.text;
    EXPECT_EQ(run.out, "");
    if (row.check.empty()) continue;
    words.insert(words.begin() + 1, "-Wno-" + row.check);
    run = testing::kvrview(words);
    EXPECT_EQ(run.exit_status + run.err.size(), 0u) << row.check << ": " << run.err;
  }
  // Every mode that reads a board.cfg says what --check says of it.
  sandbox.write("b.cfg", rows.back().text);
  EXPECT_EQ(testing::kvrview({"b.cfg"}).err, testing::kvrview({"--check", "b.cfg"}).err);
}

// The errors of a text that stand before byte `offset`, by their statuses.
std::vector<Status> errors_before(const BoardAnalysis& analysis, std::size_t offset) {
  std::vector<Status> errors;
  for (const Diagnostic& d : analysis.diagnostics) {
    if (d.severity == Severity::kError && d.range.offset < offset) errors.push_back(d.status);
  }
  return errors;
}

// Every fix-it of the table's findings, applied: its finding is gone from its place, and the
// errors before it are those that were there.
TEST(CheckTest, EveryFixItRemovesItsFindingAndPutsNoErrorBeforeIt) {
  std::vector<std::string> texts = {
      // Fix-its of warnings the table shows without them, and a label inserted.
      ";CFG-2.0\n[VORTA_SIZE_IRPATH] 7\n[VORTA_SIZE_DRPATH] 9\n\"a\" DBM\n\"b\" QVARM9-1\n",
      ";CFG-2.0\n[VORTA_ECOM_DRVR] 'a'\n[VORTA_ECOM_DRVER] 'b'\n", "\"a\" QV740K42A5\n\"b\" DBM\n",
      ";CFG-2.0\n[x] 'abc ; d\n\"l\" SPL {\"a\" DBM}{}{}{}\n"};
  for (const Row& row : check_rows()) texts.push_back(row.text);
  std::size_t applied = 0;
  for (const std::string& text : texts) {
    const BoardAnalysis before = analyse_board_text("b.cfg", text, {});
    for (const Diagnostic& d : before.diagnostics) {
      for (const Remark& remark : d.remarks) {
        for (const FixIt& fix : remark.fixes) {
          const std::string fixed = apply_fix(text, fix);
          const BoardAnalysis after = analyse_board_text("b.cfg", fixed, {});
          std::size_t moved = d.range.offset;
          for (const TextEdit& e : fix.edits) {
            if (e.range.offset < d.range.offset)
              moved += e.text.size() - (e.range.end_column - e.range.column);
          }
          EXPECT_EQ(errors_before(after, moved), errors_before(before, d.range.offset))
              << text << "\n"
              << fix.title << ":\n"
              << fixed << check_text(after);
          // A file whose one error this was compiles once it is fixed.
          if (d.severity == Severity::kError &&
              errors_before(before, text.size() + 1).size() == 1) {
            EXPECT_EQ(errors_before(after, fixed.size() + 1), std::vector<Status>{})
                << fix.title << ":\n"
                << fixed << check_text(after);
          }
          for (const Diagnostic& now : after.diagnostics) {
            EXPECT_FALSE(now.code() == d.code() && now.range.offset == moved)
                << fix.title << ":\n"
                << fixed << check_text(after);
          }
          ++applied;
        }
      }
    }
  }
  EXPECT_EQ(applied, 30u);  // every fix-it of the texts above, none gone missing
}

// The variables kvrview knows are those the information text lists, with the kinds it gives them.
TEST(CheckTest, TheDocumentedVariablesAreThoseOfTheInformationText) {
  std::string listed;
  const std::regex entry(R"(^    \[([A-Z_]+)\] +(boolean|number|string))");
  for (const char* const* line = kVerboseInformationLines; *line != nullptr; ++line) {
    std::cmatch m;
    if (std::regex_search(*line, m, entry)) {
      listed += " " + m[1].str() + ":" + m[2].str();
    } else if (std::string_view(*line).ends_with(" or string")) {
      listed += "|string";
    }
  }
  std::string known;
  for (const DocumentedVariable& v : documented_variables()) {
    if (std::string_view(v.name).ends_with("_OPTION")) continue;  // no longer read, still stored
    known += " " + std::string(v.name) + ":" + std::string(kinds_text(v.kinds));
  }
  for (const auto& [kinds, words] :
       {std::pair<std::string, std::string>{"a number or a string", "number|string"},
        {"a boolean", "boolean"},
        {"a number", "number"},
        {"a string", "string"}}) {
    for (std::size_t at; (at = known.find(kinds)) != std::string::npos;) {
      known.replace(at, kinds.size(), words);
    }
  }
  EXPECT_EQ(known, listed);
}

}  // namespace
}  // namespace kvr

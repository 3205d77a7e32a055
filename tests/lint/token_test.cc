// The tokens an editor colours and the checker reads past errors with: each token's kind and
// bytes, and which statement (and which linker group) holds it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lint/board_tokens.h"

namespace kvr {
namespace {

// "K`bytes'" for each token, K its kind's letter, then "@S" for a token of statement S and
// "/G" for a statement in group G of a linker.
std::string rendered(const std::string& text, std::uint8_t version) {
  const BoardTokens read = lex_board_text(text, version);
  std::string out;
  for (std::size_t t = 0; t < read.tokens.size(); ++t) {
    const BoardToken& token = read.tokens[t];
    if (!out.empty()) out += ' ';
    out += "LCVvNKBO"[static_cast<int>(token.kind)];
    out += '`' + std::string(token_text(text, token)) + '\'';
    const std::size_t s = read.statement_of[t];
    if (s == kNoIndex) continue;
    out += '@' + std::to_string(s);
    if (read.statements[s].linker != kNoIndex)
      out += '/' + std::to_string(read.statements[s].group);
  }
  return out;
}

struct TokenRow {
  const char* what;
  std::uint8_t version;
  std::string text, tokens;
};

TEST(TokenTest, EachTokenHasItsKindItsBytesAndItsStatement) {
  const std::vector<TokenRow> rows = {
      {"a version 2 label, the comment after it, and the statements after them", 2,
       ";cfg-2.0 board\n[X] 1\n", "L`;cfg-2.0' C` board' V`[X]'@0 v`1'@0"},
      {"a label alone on its line has no comment after it", 2, ";CFG-2.0\n\"a\" DBM\n",
       "L`;CFG-2.0' N`\"a\"'@0 K`DBM'@0"},
      {"a version 1 file has no label: its first line is a comment", 1, ";CFG-2.0 board\n",
       "C`;CFG-2.0 board'"},
      {"a byte-order mark is a token of its own, and the statement after it begins anew", 2,
       "\xEF\xBB\xBF\"a\" DBM\n", "O`\xEF\xBB\xBF'@0 N`\"a\"'@1 K`DBM'@1"},
      {"a class ID ends at a blank or ';': a brace against it is its own, a tab ends it", 2,
       "\"a\" BYPASS8}\n\"b\" DBM;c\n\"c\" DBM\tX\n",
       "N`\"a\"'@0 K`BYPASS8}'@0 N`\"b\"'@1 K`DBM'@1 C`;c' N`\"c\"'@2 K`DBM'@2 O`X'@3"},
      {"each linker's groups count from 0, the second linker's too", 2,
       "\"s\" SPL { } { \"a\" DBM } { } { }\n\"t\" SPL { \"b\" DBM } { } { } { }\n",
       "N`\"s\"'@0 K`SPL'@0 B`{'@0 B`}'@0 B`{'@0 N`\"a\"'@1/1 K`DBM'@1/1 B`}'@0 B`{'@0 B`}'@0 "
       "B`{'@0 B`}'@0 N`\"t\"'@2 K`SPL'@2 B`{'@2 N`\"b\"'@3/0 K`DBM'@3/0 B`}'@2 B`{'@2 B`}'@2 "
       "B`{'@2 B`}'@2 B`{'@2 B`}'@2"},
      {"a fifth group is a stray one, whose devices count from group 0", 2,
       "\"s\" SPL {}{}{}{} { \"a\" DBM }\n",
       "N`\"s\"'@0 K`SPL'@0 B`{'@0 B`}'@0 B`{'@0 B`}'@0 B`{'@0 B`}'@0 B`{'@0 B`}'@0 B`{'@1 "
       "N`\"a\"'@2/0 K`DBM'@2/0 B`}'@1"},
      {"a '{' in a group closes it and opens the next; a '[' ends the linker", 2,
       "\"s\" SPL { \"a\" DBM { \"b\" DBM [X] 1\n",
       "N`\"s\"'@0 K`SPL'@0 B`{'@0 N`\"a\"'@1/0 K`DBM'@1/0 B`{'@0 N`\"b\"'@2/1 K`DBM'@2/1 "
       "V`[X]'@3 v`1'@3"},
      {"a name with no value on its line: the next line is the next statement", 2,
       "[X]\n\"a\" DBM\n", "V`[X]'@0 N`\"a\"'@1 K`DBM'@1"},
      {"a bad name runs to its closing quote, an unclosed string to its line's end", 2,
       "\"a b\" DBM\n[Y] 'x ; c\n", "O`\"a b\"'@0 K`DBM'@0 V`[Y]'@1 O`'x ; c'@1"},
  };
  for (const TokenRow& row : rows) {
    EXPECT_EQ(rendered(row.text, row.version), row.tokens) << row.what;
  }
}

}  // namespace
}  // namespace kvr

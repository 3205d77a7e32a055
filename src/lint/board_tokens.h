// The tokens of a board configuration file, with their kinds and where they stand, read by the
// parser's own rules: the lines as its reader reads them (lint/text_lines.h), blanks (space, tab,
// CR, LF), a ';' that starts a comment running to the line end wherever a token is looked for, a
// version 2 file's first line (its label and the comment after it), and each token measured by
// the routine the parser measures it with: a variable name from its '[' to its ']', a value as
// the value routine takes it (a string from quote to quote), a device name from quote to quote,
// a class ID up to the next blank or ';' (so a brace written against it belongs to it), and a
// linker's four groups by their braces.
//
// Where the parser would stop, the tokens go on, so that an editor can colour a broken file and
// the checker can read past an error: a token no statement can hold is `kOther`; a bad name runs
// to its closing bracket or quote on its line (else to the next blank or ';'); a bad value runs to
// its line's end (a string) or to its comment; a '{' inside a group is taken to close the group
// and open the next one (a '}' was forgotten); a '[' inside a group, or anything but '{' where a
// group must open, ends the linker, and what follows is read as the next statement; a UTF-8
// byte-order mark that begins the file is a token of its own.
#ifndef KVR_LINT_BOARD_TOKENS_H_
#define KVR_LINT_BOARD_TOKENS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "lint/text_lines.h"

namespace kvr {

enum class TokenKind : std::uint8_t {
  kLabel,         // ";CFG-2.0", the first 8 bytes of a version 2 file
  kComment,       // from ';' to the line end (the rest of a version 2 label line too)
  kVariableName,  // "[NAME]", brackets included
  kValue,         // a variable's value as the parser takes it, a string with its quotes
  kDeviceName,    // "\"name\"", quotes included
  kClassId,       // a class ID token, as written
  kBrace,         // '{' or '}'
  kOther,         // a token no statement holds there, or a name or value the parser refuses
};

inline constexpr std::size_t kNoIndex = ~std::size_t{0};

struct BoardToken {
  TokenKind kind;
  std::uint32_t full_line;  // 1 for the first line, counted without wrapping
  std::uint32_t column;     // 0-based byte column in its line
  std::uint32_t length;     // bytes; a token never spans lines
  std::size_t offset;       // byte offset in the file
};

// A statement: its tokens [first_token, end_token), comments between them excluded from neither.
struct BoardStatement {
  enum class Kind : std::uint8_t {
    kVariable,  // a variable name and its value
    kDevice,    // a device name and its class ID
    kLinker,    // a device whose class ID is SPL, with its groups
    kBroken,    // tokens no statement takes: a stray brace or group, a word that is no statement
  } kind;
  std::size_t first_token = 0, end_token = 0;
  // A device (or broken tokens) inside a linker's group: that linker's statement and the group.
  std::size_t linker = kNoIndex;
  std::uint32_t group = 0;
  // A linker: the token of each group's '{' and '}', kNoIndex where there is none; how many
  // groups opened.
  std::array<std::size_t, 4> open{kNoIndex, kNoIndex, kNoIndex, kNoIndex};
  std::array<std::size_t, 4> close{kNoIndex, kNoIndex, kNoIndex, kNoIndex};
  std::uint32_t groups = 0;
};

struct BoardTokens {
  TextLines lines;
  std::vector<BoardToken> tokens;
  std::vector<BoardStatement> statements;  // in file order; a linker before its groups' devices
  std::vector<std::size_t> statement_of;   // for each token, its statement (kNoIndex: a comment
                                           // or the label outside every statement)
};

// The tokens of `text`, read as a board configuration file of `version` (1 or 2). Linear in the
// text. Throws std::bad_alloc.
BoardTokens lex_board_text(std::string_view text, std::uint8_t version);

// The token that holds byte `offset`, or the first token after it; tokens.size() when none.
std::size_t token_at_offset(const BoardTokens& tokens, std::size_t offset);

// A token's bytes.
inline std::string_view token_text(std::string_view text, const BoardToken& token) {
  return text.substr(token.offset, token.length);
}

}  // namespace kvr

#endif  // KVR_LINT_BOARD_TOKENS_H_

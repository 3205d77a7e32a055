// The tokens of a board.cfg as an editor shows them, each with its byte range, and the statements
// they make: variables, devices in file order, each linker with its four groups. It reads the text
// as the parser does (a line ends at LF and is read up to its first zero byte, a Ctrl-Z ends the
// text, ';' starts a comment where a token is looked for, a version 2 file's first line is its
// label and a comment), but never stops: where the parser would refuse a token it takes the token
// as written and reads on, so that a broken file still has its outline up to its end.
//   [name]   a variable name with its brackets; the next token, on any later line, is its value:
//            a string from its quote to the closing quote on its line, else up to ';' or the line
//            end less trailing blanks
//   "name"   a device name with its quotes; the next token is its class ID, up to a blank, ';' or
//            the line end (so `BYPASS8}' is one class ID, as the parser reads it)
//   { }      a brace standing where a statement may begin; a linker (class ID SPL outside a
//            group) takes the next four groups as its sub-paths
// Every other token where a statement begins is an `other' token up to a blank or ';'.
#ifndef KVR_LSP_BOARD_OUTLINE_H_
#define KVR_LSP_BOARD_OUTLINE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kvr::lsp {

enum class TokenKind : std::uint8_t {
  kLabel,
  kComment,
  kVariableName,
  kValue,
  kDeviceName,
  kClassId,
  kOpenBrace,
  kCloseBrace,
  kOther,
};

struct Token {
  std::uint32_t begin = 0, end = 0;  // byte offsets, [begin, end)
  TokenKind kind = TokenKind::kOther;
};

inline constexpr std::size_t kNone = ~std::size_t{0};

struct OutlineVariable {
  std::size_t name = kNone, value = kNone;  // token indices
};

struct OutlineGroup {
  std::size_t open = kNone, close = kNone;  // token indices of its braces
};

struct OutlineDevice {
  std::size_t name = kNone, class_id = kNone;  // token indices
  bool linker = false;
  std::size_t parent = kNone;  // the linker's device index, for a device of a group
  std::uint32_t sub_path = 0;
  std::array<OutlineGroup, 4> groups{};  // a linker's, as far as they were written
};

struct BoardOutline {
  std::vector<Token> tokens;  // in text order
  std::vector<OutlineVariable> variables;
  std::vector<OutlineDevice> devices;  // in file order, which is record order
};

// The outline of `text`, read as a file of `version` (1 or 2).
BoardOutline board_outline(std::string_view text, std::uint8_t version);

// The index of the token that holds `offset` (or ends right at it, when none holds it), or kNone.
std::size_t token_at(const BoardOutline& outline, std::size_t offset);

// The device whose name or class ID is token `token`, or kNone; the variable whose name or value
// it is, or kNone.
std::size_t device_of_token(const BoardOutline& outline, std::size_t token);
std::size_t variable_of_token(const BoardOutline& outline, std::size_t token);

inline std::string_view token_text(std::string_view text, const Token& token) {
  return text.substr(token.begin, token.end - token.begin);
}

// A name token without its brackets or quotes (as far as they were written).
inline std::string_view name_text(std::string_view text, const Token& token) {
  std::string_view name = token_text(text, token);
  if (name.empty()) return name;
  const char close = name.front() == '[' ? ']' : '"';
  name.remove_prefix(1);
  if (!name.empty() && name.back() == close) name.remove_suffix(1);
  return name;
}

}  // namespace kvr::lsp

#endif  // KVR_LSP_BOARD_OUTLINE_H_

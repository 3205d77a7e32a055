#include "lsp/semantic_tokens.h"

#include <algorithm>

#include "lint/documented_variables.h"

namespace kvr::lsp {
namespace {

// The legend, by index.
enum TokenType : std::uint32_t {
  kDeviceType,    // "variable": a device name
  kVariableType,  // "property": a variable name
  kClassType,     // "class": a class ID
  kStringType,
  kNumberType,
  kKeywordType,  // a boolean word
  kCommentType,
  kOperatorType,  // a brace
  kMacroType,     // the label
  kNoType,
};

TokenType type_of(std::string_view text, const BoardToken& token) {
  switch (token.kind) {
    case TokenKind::kDeviceName:
      return kDeviceType;
    case TokenKind::kVariableName:
      return kVariableType;
    case TokenKind::kClassId:
      return kClassType;
    case TokenKind::kComment:
      return kCommentType;
    case TokenKind::kBrace:
      return kOperatorType;
    case TokenKind::kLabel:
      return kMacroType;
    case TokenKind::kValue: {
      const std::string_view value = token_text(text, token);
      if (value.empty()) return kNoType;
      const ValueKind kind = kind_of_value(value);
      return kind == kStringValue ? kStringType : kind == kNumberValue ? kNumberType : kKeywordType;
    }
    case TokenKind::kOther:
      break;
  }
  return kNoType;
}

}  // namespace

SemanticTokensLegend semantic_tokens_legend() {
  return {{"variable", "property", "class", "string", "number", "keyword", "comment", "operator",
           "macro"},
          {}};
}

SemanticTokens semantic_tokens(const BoardDocument& document, Encoding encoding) {
  SemanticTokens tokens;
  PositionCursor cursor(document.lines, encoding);
  Position previous;
  for (const BoardToken& token : document.tokens()) {
    const TokenType type = type_of(document.text(), token);
    if (type == kNoType) continue;
    const Position start = cursor.at(token.offset);
    const std::size_t line_end = document.lines.line_end(start.line);
    const Position end = cursor.at(std::min<std::size_t>(token.offset + token.length, line_end));
    if (end.character <= start.character) continue;
    const std::uint32_t line_delta = start.line - previous.line;
    tokens.data.insert(
        tokens.data.end(),
        {line_delta, line_delta == 0 ? start.character - previous.character : start.character,
         end.character - start.character, type, 0});
    previous = start;
  }
  return tokens;
}

}  // namespace kvr::lsp

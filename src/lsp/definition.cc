#include "lsp/definition.h"

#include "base/ascii.h"
#include "lsp/document_range.h"

namespace kvr::lsp {

std::optional<Location> definition(const BoardDocument& document, const Position& position,
                                   Encoding encoding) {
  const std::size_t index = token_touching(document, document.lines.offset_of(position, encoding));
  if (index == kNoIndex) return std::nullopt;
  const TokenKind kind = document.tokens()[index].kind;
  if (kind != TokenKind::kDeviceName && kind != TokenKind::kVariableName) return std::nullopt;
  const std::string name = lower_cased(name_in_token(document, index));
  // The first name token of that kind that says the same, letter case ignored.
  for (std::size_t s = 0; s < document.statements().size(); ++s) {
    const std::size_t first = statement_tokens(document, s).name;
    if (first == kNoIndex || document.tokens()[first].kind != kind ||
        lower_cased(name_in_token(document, first)) != name) {
      continue;
    }
    return Location{document.uri, range_of(document, document.tokens()[first], encoding)};
  }
  return std::nullopt;
}

}  // namespace kvr::lsp

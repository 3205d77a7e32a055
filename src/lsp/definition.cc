#include "lsp/definition.h"

#include "base/ascii.h"
#include "lsp/document_range.h"

namespace kvr::lsp {
namespace {

// The first of `statements` (in file order) whose name token says `name`, letter case ignored.
template <typename Statement>
std::size_t first_named(const BoardDocument& document, const std::vector<Statement>& statements,
                        std::string_view name) {
  for (std::size_t i = 0; i < statements.size(); ++i) {
    const Token& token = document.outline.tokens[statements[i].name];
    if (lower_cased(name_text(document.text(), token)) == lower_cased(name))
      return statements[i].name;
  }
  return kNone;
}

}  // namespace

std::optional<Location> definition(const BoardDocument& document, const Position& position,
                                   Encoding encoding) {
  const BoardOutline& outline = document.outline;
  const std::size_t index = token_at(outline, document.lines.offset_of(position, encoding));
  if (index == kNone) return std::nullopt;
  const Token& token = outline.tokens[index];
  const std::string_view name = name_text(document.text(), token);
  std::size_t first = kNone;
  if (token.kind == TokenKind::kDeviceName) first = first_named(document, outline.devices, name);
  if (token.kind == TokenKind::kVariableName)
    first = first_named(document, outline.variables, name);
  if (first == kNone) return std::nullopt;
  const Token& target = outline.tokens[first];
  return Location{document.uri, range_of(document, target.begin, target.end, encoding)};
}

}  // namespace kvr::lsp

#include "lsp/rename.h"

#include <algorithm>

#include "base/ascii.h"
#include "lsp/document_range.h"

namespace kvr::lsp {
namespace {

bool device_name_taken(std::string_view name) {
  return !name.empty() && name.size() <= 8 && is_letter(name[0]) &&
         std::all_of(name.begin(), name.end(), is_name_char);
}

}  // namespace

std::optional<WorkspaceEdit> rename(const BoardDocument& document, const Position& position,
                                    const std::string& new_name, Encoding encoding,
                                    std::string& refusal) {
  const std::size_t index = token_touching(document, document.lines.offset_of(position, encoding));
  if (index == kNoIndex || document.tokens()[index].kind != TokenKind::kDeviceName) {
    refusal = "only a device name can be renamed";
    return std::nullopt;
  }
  if (!device_name_taken(new_name)) {
    refusal =
        "`" + new_name + "' is no device name: 1 to 8 letters, digits and '_', a letter first";
    return std::nullopt;
  }
  const std::string old_name = lower_cased(name_in_token(document, index));
  WorkspaceEdit edit;
  std::vector<TextEdit>& edits = edit.changes[document.uri];
  for (std::size_t t = 0; t < document.tokens().size(); ++t) {
    const BoardToken& token = document.tokens()[t];
    if (token.kind != TokenKind::kDeviceName) continue;
    const std::string name = lower_cased(name_in_token(document, t));
    if (name == lower_cased(new_name) && name != old_name) {
      refusal = "another device is named `" + name + "' already";
      return std::nullopt;
    }
    if (name != old_name) continue;
    const std::size_t begin = token.offset + 1;
    edits.push_back({range_of(document, begin, begin + name.size(), encoding), new_name});
  }
  return edit;
}

}  // namespace kvr::lsp

#include "lsp/inlay_hints.h"

#include "lsp/class_lookup.h"

namespace kvr::lsp {

std::vector<InlayHint> inlay_hints(const BoardDocument& document, const Range& range,
                                   Encoding encoding) {
  std::vector<InlayHint> hints;
  const BoardOutline& outline = document.outline;
  const std::size_t begin = document.lines.offset_of(range.start, encoding);
  const std::size_t end = document.lines.offset_of(range.end, encoding);
  PositionCursor cursor(document.lines, encoding);
  for (std::size_t d = 0; d < outline.devices.size(); ++d) {
    const std::size_t class_token = outline.devices[d].class_id;
    if (class_token == kNone) continue;
    const Token& token = outline.tokens[class_token];
    if (token.end < begin || token.end > end) continue;
    const ClassLookup found = device_class(document, d);
    if (found.status != kStatusOk) continue;
    std::string label = "IR " + std::to_string(found.ir_length);
    if (document.loaded && d < document.places.devices.size()) {
      label += " @ TDI+" + std::to_string(document.places.devices[d].tdi_bits);
    }
    hints.push_back({cursor.at(token.end), std::move(label), true});
  }
  return hints;
}

}  // namespace kvr::lsp

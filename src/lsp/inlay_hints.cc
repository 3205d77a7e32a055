#include "lsp/inlay_hints.h"

namespace kvr::lsp {

std::vector<InlayHint> inlay_hints(const BoardDocument& document, const Range& range,
                                   Encoding encoding) {
  std::vector<InlayHint> hints;
  const std::size_t begin = document.lines.offset_of(range.start, encoding);
  const std::size_t end = document.lines.offset_of(range.end, encoding);
  PositionCursor cursor(document.lines, encoding);
  for (const AnalysedDevice& device : document.analysis.devices) {
    const std::size_t after =
        device.class_range.offset + (device.class_range.end_column - device.class_range.column);
    if (after < begin || after > end) continue;
    std::string label = "IR " + std::to_string(device.ir_length);
    // A board read past an error holds other offsets than the file will.
    if (document.analysis.complete) label += " @ TDI+" + std::to_string(device.ir_before);
    hints.push_back({cursor.at(after), std::move(label), true});
  }
  return hints;
}

}  // namespace kvr::lsp

#include "lsp/folding_ranges.h"

namespace kvr::lsp {

std::vector<FoldingRange> folding_ranges(const BoardDocument& document) {
  std::vector<FoldingRange> ranges;
  const BoardOutline& outline = document.outline;
  for (const OutlineDevice& device : outline.devices) {
    if (!device.linker) continue;
    std::size_t last = kNone;
    for (const OutlineGroup& group : device.groups) {
      if (group.close != kNone) last = group.close;
      if (group.open != kNone && group.close == kNone) last = group.open;
    }
    if (last == kNone) continue;
    // Lines are the same in every encoding.
    const std::uint32_t first_line =
        document.lines.position_of(outline.tokens[device.name].begin, Encoding::kUtf8).line;
    const std::uint32_t last_line =
        document.lines.position_of(outline.tokens[last].begin, Encoding::kUtf8).line;
    if (last_line > first_line) ranges.push_back({first_line, last_line});
  }
  return ranges;
}

}  // namespace kvr::lsp

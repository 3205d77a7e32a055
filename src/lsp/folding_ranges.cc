#include "lsp/folding_ranges.h"

#include <algorithm>

namespace kvr::lsp {

std::vector<FoldingRange> folding_ranges(const BoardDocument& document) {
  std::vector<FoldingRange> ranges;
  for (const BoardStatement& statement : document.statements()) {
    if (statement.kind != BoardStatement::Kind::kLinker) continue;
    std::size_t last = kNoIndex;
    for (std::uint32_t k = 0; k < 4; ++k) {
      for (const std::size_t brace : {statement.open[k], statement.close[k]}) {
        if (brace != kNoIndex) last = last == kNoIndex ? brace : std::max(last, brace);
      }
    }
    if (last == kNoIndex) continue;
    // Lines are the same in every encoding.
    const auto line_of = [&](std::size_t token) {
      return document.lines.position_of(document.tokens()[token].offset, Encoding::kUtf8).line;
    };
    const std::uint32_t first_line = line_of(statement.first_token);
    const std::uint32_t last_line = line_of(last);
    if (last_line > first_line) ranges.push_back({first_line, last_line});
  }
  return ranges;
}

}  // namespace kvr::lsp

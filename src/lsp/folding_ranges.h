// Folding ranges: each linker block, from the linker's line to the line of its last closing
// brace, when that is a later line.
#ifndef KVR_LSP_FOLDING_RANGES_H_
#define KVR_LSP_FOLDING_RANGES_H_

#include <vector>

#include "lsp/board_document.h"
#include "lsp/protocol.h"

namespace kvr::lsp {

std::vector<FoldingRange> folding_ranges(const BoardDocument& document);

}  // namespace kvr::lsp

#endif  // KVR_LSP_FOLDING_RANGES_H_

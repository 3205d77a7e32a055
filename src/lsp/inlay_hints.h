// Inlay hints: after each device's class ID its IR length and, when the file parses, the IR bits
// between TDI and the device ("IR 38 @ TDI+6"), as hover tells them, for the devices whose class
// ID ends in the requested range. A file with an error has them, without the offsets, when what
// is left without its broken statements parses; none when that stops too.
#ifndef KVR_LSP_INLAY_HINTS_H_
#define KVR_LSP_INLAY_HINTS_H_

#include <vector>

#include "lsp/board_document.h"
#include "lsp/protocol.h"

namespace kvr::lsp {

std::vector<InlayHint> inlay_hints(const BoardDocument& document, const Range& range,
                                   Encoding encoding);

}  // namespace kvr::lsp

#endif  // KVR_LSP_INLAY_HINTS_H_

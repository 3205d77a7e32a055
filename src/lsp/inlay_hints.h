// Inlay hints: after each device's class ID its IR length and, when the file parses, the IR bits
// between TDI and the device ("IR 38 @ TDI+6"), as hover tells them, for the devices whose class
// ID ends in the requested range. A file with an error has them for the devices of the board as
// far as the checker read it, without the offsets.
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

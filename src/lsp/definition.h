// Go to definition: from a device name to the first device of that name (letter case ignored, as
// kvrbuild compares names), and likewise from a variable name; from the first definition to
// itself.
#ifndef KVR_LSP_DEFINITION_H_
#define KVR_LSP_DEFINITION_H_

#include <optional>

#include "lsp/board_document.h"
#include "lsp/protocol.h"

namespace kvr::lsp {

std::optional<Location> definition(const BoardDocument& document, const Position& position,
                                   Encoding encoding);

}  // namespace kvr::lsp

#endif  // KVR_LSP_DEFINITION_H_

// Hover: what a token stands for.
// - A device (its name or its class ID): the class ID as written and what it resolves to, its
//   family and high-level class, its IR length ("IR 38"); when the file parses, its place in the
//   scan chain (its index from TDI, the sub-path it stands on) and the IR bits between it and TDI
//   and between it and TDO, which `kvrview --svf' pads with TIR and HIR (a sub-path's device with
//   its sub-path selected, every other linker with none).
// - A linker: its four sub-paths with what each adds up to.
// - A variable (its name or its value): what `kvrbuild -vi' says of it and the kind of value it
//   takes.
// - The label: the version it gives the file.
#ifndef KVR_LSP_HOVER_H_
#define KVR_LSP_HOVER_H_

#include <optional>

#include "lsp/board_document.h"
#include "lsp/protocol.h"

namespace kvr::lsp {

std::optional<Hover> hover(const BoardDocument& document, const Position& position,
                           Encoding encoding);

}  // namespace kvr::lsp

#endif  // KVR_LSP_HOVER_H_

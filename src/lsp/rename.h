// Rename of a device: every device name token that names it (letter case ignored; a duplicate
// too) gets the new name. The new name must be a device name kvrbuild takes (1 to 8 letters,
// digits and '_', a letter first) that no other device has; otherwise the rename is refused with
// the reason. A board.cfg names a device nowhere else.
#ifndef KVR_LSP_RENAME_H_
#define KVR_LSP_RENAME_H_

#include <optional>
#include <string>

#include "lsp/board_document.h"
#include "lsp/protocol.h"

namespace kvr::lsp {

// The edit, or nothing with the reason in `refusal`.
std::optional<WorkspaceEdit> rename(const BoardDocument& document, const Position& position,
                                    const std::string& new_name, Encoding encoding,
                                    std::string& refusal);

}  // namespace kvr::lsp

#endif  // KVR_LSP_RENAME_H_

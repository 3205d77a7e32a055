// Formatting: the canonical layout of a board.cfg as the check room's formatter writes it, as
// edits of the document. Until that formatter is part of the program, and for a file with an
// error, the answer is no edit at all.
#ifndef KVR_LSP_FORMATTING_H_
#define KVR_LSP_FORMATTING_H_

#include <vector>

#include "lsp/board_document.h"
#include "lsp/protocol.h"

namespace kvr::lsp {

std::vector<TextEdit> formatting(const BoardDocument& document, Encoding encoding);

}  // namespace kvr::lsp

#endif  // KVR_LSP_FORMATTING_H_

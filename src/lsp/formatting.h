// Formatting: the canonical layout of a board.cfg as the check room's formatter writes it
// (lint/board_format.h), as edits of the lines that change. A file with an error, or one whose
// text the layout cannot keep, gets no edit, and `reason' says why.
#ifndef KVR_LSP_FORMATTING_H_
#define KVR_LSP_FORMATTING_H_

#include <string>
#include <vector>

#include "lsp/board_document.h"
#include "lsp/protocol.h"

namespace kvr::lsp {

std::vector<TextEdit> formatting(const BoardDocument& document, Encoding encoding,
                                 std::string& reason);

}  // namespace kvr::lsp

#endif  // KVR_LSP_FORMATTING_H_

// Code actions: every fix-it of the findings whose range meets the requested range, as a quick
// fix whose workspace edit makes the fix-it's edits (a class ID meant, a variable name meant, a
// family's class ID in full, a blank before a brace, the label, a closing quote, a path length
// set to what the scan path holds). The first fix of an error is the preferred one.
#ifndef KVR_LSP_CODE_ACTIONS_H_
#define KVR_LSP_CODE_ACTIONS_H_

#include <vector>

#include "lsp/board_document.h"
#include "lsp/protocol.h"

namespace kvr::lsp {

std::vector<CodeAction> code_actions(const BoardDocument& document, const Range& range,
                                     Encoding encoding);

}  // namespace kvr::lsp

#endif  // KVR_LSP_CODE_ACTIONS_H_

// Document symbols: the board as an outline. The variables first, each with its value, then the
// devices in scan-path order, each with its class ID, and each linker with its four sub-paths as
// children ("sub-path 0" with what it adds up to when the file parses), whose children are the
// sub-path's devices.
#ifndef KVR_LSP_DOCUMENT_SYMBOLS_H_
#define KVR_LSP_DOCUMENT_SYMBOLS_H_

#include <vector>

#include "lsp/board_document.h"
#include "lsp/protocol.h"

namespace kvr::lsp {

std::vector<DocumentSymbol> document_symbols(const BoardDocument& document, Encoding encoding);

}  // namespace kvr::lsp

#endif  // KVR_LSP_DOCUMENT_SYMBOLS_H_

// Byte ranges of a document as the client's ranges, in the encoding agreed at initialisation.
#ifndef KVR_LSP_DOCUMENT_RANGE_H_
#define KVR_LSP_DOCUMENT_RANGE_H_

#include <cstddef>

#include "lsp/board_document.h"
#include "lsp/protocol.h"

namespace kvr::lsp {

inline Range range_of(const BoardDocument& document, std::size_t begin, std::size_t end,
                      Encoding encoding) {
  return {document.lines.position_of(begin, encoding), document.lines.position_of(end, encoding)};
}

inline TextEdit text_edit_of(const BoardDocument& document, const ByteEdit& edit,
                             Encoding encoding) {
  return {range_of(document, edit.begin, edit.end, encoding), edit.text};
}

}  // namespace kvr::lsp

#endif  // KVR_LSP_DOCUMENT_RANGE_H_

// Byte ranges and the check room's source ranges of a document as the client's ranges, in the
// encoding agreed at initialisation.
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

// The file as a whole stands at its start.
inline Range range_of(const BoardDocument& document, const SourceRange& range, Encoding encoding) {
  if (range.whole_file()) return {};
  return range_of(document, range.offset, range.offset + (range.end_column - range.column),
                  encoding);
}

inline Range range_of(const BoardDocument& document, const BoardToken& token, Encoding encoding) {
  return range_of(document, token.offset, token.offset + token.length, encoding);
}

}  // namespace kvr::lsp

#endif  // KVR_LSP_DOCUMENT_RANGE_H_

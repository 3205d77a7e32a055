// The documents the client has open, by URI, each worked out afresh whenever its text changes:
// memory holds the open documents and what is known of them, nothing of a closed one. A change
// replaces the whole text or a range of it (positions in the agreed encoding; a range past the
// end of the text stands at its end, and one whose end comes before its start is taken from the
// end to the start).
#ifndef KVR_LSP_DOCUMENT_STORE_H_
#define KVR_LSP_DOCUMENT_STORE_H_

#include <map>
#include <memory>
#include <string>

#include "lint/board_checks.h"
#include "lsp/board_document.h"
#include "lsp/protocol.h"

namespace kvr::lsp {

struct DocumentStore {
  std::map<std::string, std::unique_ptr<BoardDocument>> documents;
};

// Each returns the document as it now is. A document whose text cannot be held or worked out
// (std::bad_alloc) is closed before the exception goes on.
const BoardDocument& open_document(DocumentStore& store, TextDocumentItem item,
                                   const CheckSettings& settings);
// Null when no document of that URI is open.
const BoardDocument* change_document(DocumentStore& store, DidChangeParams params,
                                     Encoding encoding, const CheckSettings& settings);
void close_document(DocumentStore& store, const std::string& uri);
const BoardDocument* find_document(const DocumentStore& store, const std::string& uri);

}  // namespace kvr::lsp

#endif  // KVR_LSP_DOCUMENT_STORE_H_

#include "lsp/document_store.h"

#include <new>
#include <utility>

namespace kvr::lsp {
namespace {

void apply_change(std::string& text, TextDocumentContentChangeEvent& change, Encoding encoding) {
  if (!change.range) {
    text = std::move(change.text);
    return;
  }
  const ClientLines lines(text);
  std::size_t begin = lines.offset_of(change.range->start, encoding);
  std::size_t end = lines.offset_of(change.range->end, encoding);
  if (end < begin) std::swap(begin, end);
  text.replace(begin, end - begin, change.text);
}

// Runs `work` on the document of `uri`; a refused allocation closes it and goes on.
template <typename Work>
void guarded(DocumentStore& store, const std::string& uri, Work work) {
  try {
    work();
  } catch (const std::bad_alloc&) {
    store.documents.erase(uri);
    throw;
  }
}

}  // namespace

const BoardDocument& open_document(DocumentStore& store, TextDocumentItem item,
                                   const CheckSettings& settings) {
  const std::string uri = item.uri;
  std::unique_ptr<BoardDocument>& document = store.documents[uri];
  guarded(store, uri, [&] {
    document = std::make_unique<BoardDocument>();
    document->uri = uri;
    document->version = item.version;
    set_document_text(*document, std::move(item.text), settings);
  });
  return *document;
}

const BoardDocument* change_document(DocumentStore& store, DidChangeParams params,
                                     Encoding encoding, const CheckSettings& settings) {
  const auto found = store.documents.find(params.uri);
  if (found == store.documents.end()) return nullptr;
  BoardDocument& document = *found->second;
  guarded(store, params.uri, [&] {
    std::string text = std::move(document.analysis.text);
    for (TextDocumentContentChangeEvent& change : params.changes) {
      apply_change(text, change, encoding);
    }
    document.version = params.version;
    set_document_text(document, std::move(text), settings);
  });
  return &document;
}

void close_document(DocumentStore& store, const std::string& uri) {
  store.documents.erase(uri);
}

const BoardDocument* find_document(const DocumentStore& store, const std::string& uri) {
  const auto found = store.documents.find(uri);
  return found == store.documents.end() ? nullptr : found->second.get();
}

}  // namespace kvr::lsp

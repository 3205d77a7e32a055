#include "lsp/document_store.h"

#include <algorithm>
#include <utility>
#include <vector>

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

// Edits listed from the end of the text towards its start, each ending before the one listed
// before it begins (as editors send those of several cursors), stand where they stood in the text
// before them all: they are placed with one index of its lines and made in one pass, where one at
// a time would read the whole text for each. Any other list is made one edit at a time.
void apply_changes(std::string& text, std::vector<TextDocumentContentChangeEvent>& changes,
                   Encoding encoding) {
  const bool all_ranges = std::all_of(changes.begin(), changes.end(),
                                      [](const auto& change) { return change.range.has_value(); });
  if (changes.size() > 1 && all_ranges) {
    const ClientLines lines(text);
    std::vector<std::pair<std::size_t, std::size_t>> spans;  // [begin, end) of each edit
    for (const TextDocumentContentChangeEvent& change : changes) {
      std::size_t begin = lines.offset_of(change.range->start, encoding);
      std::size_t end = lines.offset_of(change.range->end, encoding);
      if (end < begin) std::swap(begin, end);
      if (!spans.empty() && end >= spans.back().first) break;
      spans.emplace_back(begin, end);
    }
    if (spans.size() == changes.size()) {
      std::string edited;
      std::size_t at = 0;
      for (std::size_t i = spans.size(); i-- > 0;) {
        edited.append(text, at, spans[i].first - at);
        edited += changes[i].text;
        at = spans[i].second;
      }
      edited.append(text, at);
      text = std::move(edited);
      return;
    }
  }
  for (TextDocumentContentChangeEvent& change : changes) apply_change(text, change, encoding);
}

// Runs `work` on the document of `uri`; whatever stops it half done (a refused allocation) closes
// the document, so that no half-made one is served, and is passed on.
template <typename Work>
void guarded(DocumentStore& store, const std::string& uri, Work work) {
  try {
    work();
  } catch (...) {
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
    apply_changes(text, params.changes, encoding);
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

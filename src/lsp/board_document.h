// An open document and what the server knows of it, worked out once for each text it holds: the
// kind of file it is (recognised as kvrbuild recognises a file, by its first bytes), the parser's
// reading, the board when the parse succeeded, the outline of its tokens, the findings of
// `kvrview --check' with byte ranges and fix-its, and each device's place in the scan chain.
// Every feature reads this record and nothing else.
#ifndef KVR_LSP_BOARD_DOCUMENT_H_
#define KVR_LSP_BOARD_DOCUMENT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/status.h"
#include "lint/board_checks.h"
#include "lint/board_input.h"
#include "lsp/board_outline.h"
#include "lsp/scan_places.h"
#include "lsp/text_positions.h"

namespace kvr::lsp {

// A replacement of the bytes [begin, end) by `text`.
struct ByteEdit {
  std::size_t begin = 0, end = 0;
  std::string text;
};

// One way of doing what a help says: its title and its edits.
struct FindingFix {
  std::string title;
  std::vector<ByteEdit> edits;
};

// A note or a help of a finding, where it stands (a note elsewhere; a help, or a note of the file
// as a whole, at the finding itself), and for a help the edits that do what it says, when edits
// can (path-size offers each length the scan path can have).
struct FindingRemark {
  bool help = false;
  std::size_t begin = 0, end = 0;
  std::string text;
  std::vector<FindingFix> fixes;
};

// One message of `kvrview --check', as a record.
struct Finding {
  bool error = false;   // an error, or a warning made one
  Status status = 0;    // the parser's error status; 0 for a check and for a file not read
  std::string check;    // the check's name; empty for the parser's error
  std::string message;  // the headline, without its [status] or [-Wname]
  std::size_t begin = 0, end = 0;
  std::vector<FindingRemark> remarks;
  std::string explanation;  // kvrbuild's explanation of an error's status
};

struct BoardDocument {
  std::string uri;
  std::int64_t version = 0;
  bool configuration = false;         // recognised as a board configuration file
  ConfigReading reading;              // its text is the document's text
  std::optional<LoadedBoard> loaded;  // when the parse succeeded
  BoardOutline outline;
  std::vector<Finding> findings;  // in file order, as --check gives them
  ScanPlaces places;              // empty unless the parse succeeded
  TextLines lines;                // of reading.text; the record must stay where it is

  BoardDocument() = default;
  BoardDocument(const BoardDocument&) = delete;
  BoardDocument& operator=(const BoardDocument&) = delete;

  const std::string& text() const { return reading.text; }
};

// Gives the document `text` and works out everything about it. Throws std::bad_alloc.
void set_document_text(BoardDocument& document, std::string text, const CheckSettings& settings);

// The byte range of the token at `offset` of the document, or of the word that stands there.
std::pair<std::size_t, std::size_t> token_range_at(const BoardDocument& document,
                                                   std::size_t offset);

}  // namespace kvr::lsp

#endif  // KVR_LSP_BOARD_DOCUMENT_H_

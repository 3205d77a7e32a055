// An open document and what the server knows of it, worked out once for each text it holds: the
// check room's analysis of the text (kvrbuild's reading, the tokens and statements, the board and
// each device's place on the scan path, the findings of `kvrview --check' as records), or, for a
// text that is not read as a board configuration file at all (too short to be recognised, or a
// board database, told apart by its first bytes as kvrbuild tells files apart), the one finding
// --check gives it. Every feature reads this record and nothing else.
#ifndef KVR_LSP_BOARD_DOCUMENT_H_
#define KVR_LSP_BOARD_DOCUMENT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "lint/board_analysis.h"
#include "lint/board_checks.h"
#include "lsp/text_positions.h"

namespace kvr::lsp {

struct BoardDocument {
  std::string uri;
  std::int64_t version = 0;
  bool configuration = false;  // read as a board configuration file
  BoardAnalysis analysis;      // its text is the document's text
  // For each statement of analysis.tokens, its device in analysis.devices, or kNoIndex.
  std::vector<std::size_t> device_of_statement;
  // For each device of analysis.devices, its entry in analysis.linkers, or kNoIndex.
  std::vector<std::size_t> linker_of_device;
  ClientLines lines;  // of analysis.text; the record must stay where it is

  BoardDocument() = default;
  BoardDocument(const BoardDocument&) = delete;
  BoardDocument& operator=(const BoardDocument&) = delete;

  const std::string& text() const { return analysis.text; }
  const std::vector<BoardToken>& tokens() const { return analysis.tokens.tokens; }
  const std::vector<BoardStatement>& statements() const { return analysis.tokens.statements; }
};

// Gives the document `text` and works out everything about it. Throws std::bad_alloc.
void set_document_text(BoardDocument& document, std::string text, const CheckSettings& settings);

// The token that holds byte `offset`, or else the one that ends right at it; kNoIndex when none.
std::size_t token_touching(const BoardDocument& document, std::size_t offset);

// The first token of a statement (a name) and the token after it that is no comment (a value or a
// class ID); kNoIndex where the statement has none.
struct StatementTokens {
  std::size_t name = kNoIndex, second = kNoIndex;
};
StatementTokens statement_tokens(const BoardDocument& document, std::size_t statement);

// The statement of a token, or kNoIndex.
std::size_t statement_of_token(const BoardDocument& document, std::size_t token);

// The name a name token gives ("[NAME]", "\"name\""), without its brackets or quotes, as far as
// they were written.
std::string_view name_in_token(const BoardDocument& document, std::size_t token);

// The analysed device of a statement, or null: a device of the board as far as it was read.
const AnalysedDevice* device_of(const BoardDocument& document, std::size_t statement);
// What the linker that is device `device` of the analysis adds up to, or null.
const AnalysedLinker* linker_of(const BoardDocument& document, std::size_t device);

}  // namespace kvr::lsp

#endif  // KVR_LSP_BOARD_DOCUMENT_H_

// kvrbuild's error and the errors after it, each with its notes, help and fix-its.
//
// The first error is the parser's own. To find the next, the statement that broke is left out:
// its bytes become blanks (line ends, zero bytes and Ctrl-Z stay, so every line and column stays
// where it was) and the parser reads the text again. The statement is the error token's, as the
// tokens show it (lint/board_tokens.h), but for two cases: a value the parser took from the next
// statement (the variable had none on its line) leaves out the variable alone, and an error of a
// linker's structure (a group that does not open, a '{' or '[' where a '}' is missing) leaves out
// the whole linker. An error the next reading finds at or before the place of the one before it
// is not reported again. A fix-it is offered only when the parser, given the fixed text, stops
// after the error it fixes or not at all.
#ifndef KVR_LINT_PARSE_ERRORS_H_
#define KVR_LINT_PARSE_ERRORS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "config/board_config_parser.h"
#include "lint/board_input.h"
#include "lint/board_tokens.h"
#include "lint/diagnostics.h"

namespace kvr {

struct ErrorsRead {
  std::vector<Diagnostic> errors;  // in file order, kvrbuild's first
  std::string rest;                // the text with the broken statements left out
  Status rest_status = kStatusOk;  // what a reading of `rest` gives
};

// The errors of `reading` (kvrbuild's reading of its text), and with `read_on` those after the
// first, up to `most`. Throws std::bad_alloc.
ErrorsRead read_errors(const ConfigReading& reading, const BoardTokens& tokens, bool read_on,
                       std::size_t most);

// The format version a board configuration text is read as: 2 when it begins with the label.
std::uint8_t config_version_of(std::string_view text);

// kvrbuild's parse of `text` as `version`, keeping nothing: its status, and where it stopped.
Status parse_status(std::string_view text, std::uint8_t version, ParseStop& stop);

}  // namespace kvr

#endif  // KVR_LINT_PARSE_ERRORS_H_

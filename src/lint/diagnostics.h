// The messages kvrview writes on standard error about bad input, in the form compilers use: where
// the fault stands, what it is, the line itself with a caret under the column, then notes (where
// something related stands) and help (what to write instead), and for an error the explanation
// kvrbuild gives for its status.
#ifndef KVR_LINT_DIAGNOSTICS_H_
#define KVR_LINT_DIAGNOSTICS_H_

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "database/database_reader.h"

namespace kvr {

// Where a diagnostic points: the line as the parser numbers lines (wrapping after 65535), the same
// line counted without wrapping, and the 1-based column (a tab counts as one). A full line of 0
// is the file as a whole; a column of 0 the line as a whole.
struct Place {
  std::uint32_t line = 0;
  std::uint32_t full_line = 0;
  std::uint32_t column = 0;
};

// A "note" (shown with its own line and caret when it has a place elsewhere; without a place it
// speaks of the file as a whole) or a "help" (one line, at the place of its diagnostic).
struct Remark {
  const char* kind;
  Place place;
  std::string text;
};

struct Diagnostic {
  const char* severity;  // "error" or "warning"
  Place place;
  std::string text;  // "TITLE [STATUS]" for kvrbuild's errors, "TEXT [-Wname]" for a check
  std::vector<Remark> remarks = {};
  std::string explanation = {};  // kvrbuild's explanation of an error's status
  bool quote = true;             // show the line and the caret
};

// The lines of the file that the diagnostics point at, by full line number.
using LineTexts = std::map<std::uint32_t, std::string>;

// One diagnostic as text: "FILE:LINE:COLUMN: SEVERITY: TEXT", the line and a caret, each remark,
// then the explanation.
std::string render_diagnostic(const std::string& file, const Diagnostic& diagnostic,
                              const LineTexts& lines);

// The diagnostic of an error with `status` at `place`: its title, status and explanation.
Diagnostic error_diagnostic(Status status, const Place& place);

// "TITLE [STATUS]": the title kvrbuild's explanation of `status` has, and the status itself.
std::string status_title(Status status);

// "FILE: error at offset 0xN (FIELD): TITLE [STATUS]", then the explanation.
std::string database_diagnostic(const std::string& file, const ReadFailure& failure);

// "FILE: error: WHAT: TITLE [STATUS]", then the explanation; for a file that is not read at all.
std::string file_diagnostic(const std::string& file, std::string_view what, Status status);

// "PROGRAM: error: memory: TITLE [-131]" and the explanation, written to `err` without asking for
// memory: it is printed when memory has run out.
void print_memory_diagnostic(const char* program, std::FILE* err);

}  // namespace kvr

#endif  // KVR_LINT_DIAGNOSTICS_H_

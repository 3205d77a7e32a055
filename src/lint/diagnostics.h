// The findings of kvrview --check as records, and the messages kvrview writes on standard error
// about bad input in the form compilers use.
//
// A finding is kvrbuild's error (its status as the code) or a named check's warning (the check's
// name as the code), with the range of the token it speaks of, its notes (where something related
// stands) and help (what to write instead), and for every help that proposes text a fix-it: edits
// a program can apply. Renderers show the records: the terminal text here, the SARIF log
// (lint/sarif_log.h) and the language server's messages.
#ifndef KVR_LINT_DIAGNOSTICS_H_
#define KVR_LINT_DIAGNOSTICS_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "database/database_reader.h"

namespace kvr {

enum class Severity { kError, kWarning, kNote };

// A stretch of one line of the file. Lines are those kvrbuild's reader reads (a line ends after
// its LF, or after 4135 bytes); columns count bytes, a tab as one.
struct SourceRange {
  std::uint32_t line = 0;        // the line as kvrbuild names it: 1 for the first, wrapping at 2^16
  std::uint32_t full_line = 0;   // the same line counted without wrapping; 0: the file as a whole
  std::uint32_t column = 0;      // 0-based byte column of the first byte
  std::uint32_t end_column = 0;  // just past the last byte; equal to `column` for a point
  std::size_t offset = 0;        // byte offset of the first byte in the file

  bool whole_file() const { return full_line == 0; }
};

// Replace the bytes of `range` by `text` (an empty range inserts).
struct TextEdit {
  SourceRange range;
  std::string text;
};

// A machine-applicable change: what a help proposes, as edits of the file, which never overlap.
struct FixIt {
  std::string title;  // "replace `BYPASS8' with `BYPASS008'"
  std::vector<TextEdit> edits;
};

// A note (with the range it points at, or none: the file as a whole) or a help (one line, at the
// finding's own place; with a fix-it for each text it proposes).
struct Remark {
  enum class Kind { kNote, kHelp } kind;
  SourceRange range;
  std::string text;
  std::vector<FixIt> fixes = {};
};

struct Diagnostic {
  Severity severity = Severity::kError;
  Status status = kStatusOk;  // kvrbuild's status for its errors, 0 for a check's finding
  std::string check = {};     // the check's name for a check's finding
  std::string message;        // kvrbuild's title of the status, or the check's text
  std::string detail = {};    // what the headline adds after kvrbuild's title, or nothing
  SourceRange range = {};
  std::vector<Remark> remarks = {};
  std::string explanation = {};  // kvrbuild's explanation of an error's status
  bool quote = true;             // the terminal shows the line and the caret

  // "-374" for kvrbuild's statuses, the check's name for a check's finding.
  std::string code() const;
  // The headline as the terminal writes it after "error: ": "TITLE [STATUS]", "TEXT [-Wname]",
  // "TEXT [-Werror=name]" for a warning made an error.
  std::string headline() const;
};

// The lines of the file that the diagnostics point at, by full line number, as read.
using LineTexts = std::map<std::uint32_t, std::string>;

// One diagnostic as text: "FILE:LINE:COLUMN: SEVERITY: HEADLINE", the line and a caret, each
// remark, then the explanation unless `explain` is false.
std::string render_diagnostic(const std::string& file, const Diagnostic& diagnostic,
                              const LineTexts& lines, bool explain = true);

// The diagnostic of kvrbuild's error with `status` at `range`: its title and explanation.
Diagnostic error_diagnostic(Status status, const SourceRange& range);

// "TITLE [STATUS]": the title kvrbuild's explanation of `status` has, and the status itself.
std::string status_title(Status status);

// The title alone, and the explanation as kvrview shows it (kvrbuild's options named as such).
std::string title_of_status(Status status);
std::string explanation_of_status(Status status);

// "FILE: error at offset 0xN (FIELD): TITLE [STATUS]", then the explanation.
std::string database_diagnostic(const std::string& file, const ReadFailure& failure);

// "FILE: error: WHAT: TITLE [STATUS]", then the explanation; for a file that is not read at all.
std::string file_diagnostic(const std::string& file, std::string_view what, Status status);

// "PROGRAM: error: memory: TITLE [-131]" and the explanation, written to `err` without asking for
// memory: it is printed when memory has run out.
void print_memory_diagnostic(const char* program, std::FILE* err);

// `text` with the edits of `fix` applied.
std::string apply_fix(std::string_view text, const FixIt& fix);

}  // namespace kvr

#endif  // KVR_LINT_DIAGNOSTICS_H_

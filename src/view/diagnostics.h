// The messages kvrview writes on standard error about bad input: where the fault stands, the title
// and status by which kvrbuild reports it, and the explanation kvrbuild gives for that status.
#ifndef KVR_VIEW_DIAGNOSTICS_H_
#define KVR_VIEW_DIAGNOSTICS_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "base/status.h"
#include "database/database_reader.h"

namespace kvr {

// "TITLE [STATUS]": the title kvrbuild's explanation of `status` has, and the status itself.
std::string status_title(Status status);

// "FILE:LINE:COLUMN: error: TITLE [STATUS]", the line itself and a caret under the column, then
// the explanation. Column 0 leaves the column and the caret out.
std::string config_diagnostic(const std::string& file, std::uint32_t line, std::uint32_t column,
                              Status status, std::string_view line_text);

// "FILE: error at offset 0xN (FIELD): TITLE [STATUS]", then the explanation.
std::string database_diagnostic(const std::string& file, const ReadFailure& failure);

// "FILE: error: WHAT: TITLE [STATUS]", then the explanation; for a file that is not read at all.
std::string file_diagnostic(const std::string& file, std::string_view what, Status status);

// "PROGRAM: error: memory: TITLE [-131]" and the explanation, written to `err` without asking for
// memory: it is printed when memory has run out.
void print_memory_diagnostic(const char* program, std::FILE* err);

}  // namespace kvr

#endif  // KVR_VIEW_DIAGNOSTICS_H_

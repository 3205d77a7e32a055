// The findings of kvrview --check as a SARIF 2.1.0 log, for code scanning in CI: one run of the
// tool kvrview, whose rules are the named checks and kvrbuild's statuses; each finding a result
// with its rule, level, message, the region of its token (lines and columns from 1, a column a
// code point of the line's bytes read as UTF-8, and the byte offset and length as well), its notes
// as related locations, and its fix-its as fixes. A note or help that points nowhere is a line of
// the result's message.
#ifndef KVR_LINT_SARIF_LOG_H_
#define KVR_LINT_SARIF_LOG_H_

#include <string>

#include "lint/board_analysis.h"

namespace kvr {

// The log, as JSON text ending with a newline. `version` is kvrview's. Throws std::bad_alloc.
std::string sarif_log(const BoardAnalysis& analysis, const std::string& version);

}  // namespace kvr

#endif  // KVR_LINT_SARIF_LOG_H_

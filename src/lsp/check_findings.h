// The findings of `kvrview --check' for a document, as records with byte ranges and, for each
// help that one edit can carry out, that edit: the same diagnostics in the same order as the
// terminal text, each range beginning at its caret and running to the end of the token there.
//
// The check room gives its warnings as records, and the parser's error with its notes and help as
// terminal text only: the error's remarks are read back from that text (printed under a file name
// that no line of a board.cfg can hold), and the fix-its are worked out here from what each help
// says. Both belong to the check room; this file is the one seam to its records.
#ifndef KVR_LSP_CHECK_FINDINGS_H_
#define KVR_LSP_CHECK_FINDINGS_H_

#include <vector>

#include "lint/board_checks.h"
#include "lint/diagnostics.h"
#include "lsp/board_document.h"

namespace kvr::lsp {

// The diagnostics of a parsed document as --check renders them, in its order.
std::vector<kvr::Diagnostic> check_diagnostics(const BoardDocument& document,
                                               const CheckSettings& settings);

// Those diagnostics as findings of the document.
std::vector<Finding> check_findings(const BoardDocument& document, const CheckSettings& settings);

// The finding of a document that is not read as a board configuration file at all: too short to
// be recognised, or a board database. Nothing when it is a board configuration file.
std::optional<Finding> file_kind_finding(const BoardDocument& document, Status recognition,
                                         bool database);

}  // namespace kvr::lsp

#endif  // KVR_LSP_CHECK_FINDINGS_H_

// Diagnostics: the findings of `kvrview --check' for a document as the client shows them, each at
// the range of the token it speaks of. An error's code is its status (-374), a warning's the name
// of its check (class-id-prefix); errors have severity 1 and warnings 2. The message is the
// headline, and for an error kvrbuild's explanation after it; notes become related information
// where they point (a note of the file as a whole, and each help, at the finding itself), and the
// fix-its of the helps are offered as quick fixes (code_actions.h). A valid file has none.
#ifndef KVR_LSP_DIAGNOSTICS_H_
#define KVR_LSP_DIAGNOSTICS_H_

#include "lsp/board_document.h"
#include "lsp/protocol.h"

namespace kvr::lsp {

Diagnostic diagnostic_of(const BoardDocument& document, const kvr::Diagnostic& finding,
                         Encoding encoding);

PublishDiagnosticsParams published_diagnostics(const BoardDocument& document, Encoding encoding);

}  // namespace kvr::lsp

#endif  // KVR_LSP_DIAGNOSTICS_H_

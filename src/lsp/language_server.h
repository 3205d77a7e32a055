// `kvrview --lsp': the language server of board.cfg files, speaking the Language Server Protocol
// (3.17) over a byte stream. It reads one framed message after another (lsp/json_transport.h),
// parses its JSON, and dispatches it through one table, by method, to the feature that answers
// it; it keeps the open documents (lsp/document_store.h) and the state of the session, and
// nothing else.
//
// The session: every request before `initialize' is answered -32002 and every notification
// dropped; after `shutdown' every request is refused (-32600). A body that is not JSON is answered
// -32700, a message that is no request or notification -32600, an unknown method -32601, and
// parameters of the wrong shape -32602; the server goes on serving after each. No exception leaves
// a message: a request that memory fails is answered -32603, and a document that memory cannot
// hold is closed. `exit' ends the session with status 0 after `shutdown', 1 without it; the end of
// the input ends it with status 1.
//
// `initialize' chooses UTF-8 positions when the client offers them (general.positionEncodings or
// offsetEncoding), UTF-16 otherwise; its initializationOptions may hold {"warnings": [...]}, the
// -W options of `kvrview --check' ("-Wno-path-size", "-Werror"), which the diagnostics then follow.
#ifndef KVR_LSP_LANGUAGE_SERVER_H_
#define KVR_LSP_LANGUAGE_SERVER_H_

#include <istream>
#include <ostream>

namespace kvr::lsp {

// Serves the messages of `in`, answering on `out`; what cannot be answered (a notification that
// failed) is told on `log`. Returns the exit status.
int serve_language(std::istream& in, std::ostream& out, std::ostream& log);

// Serves standard input and output, both switched to binary mode where the system has a text
// mode, and logs on standard error.
int serve_language_on_standard_streams();

}  // namespace kvr::lsp

#endif  // KVR_LSP_LANGUAGE_SERVER_H_

// Semantic tokens of the whole document: device names, class IDs, variable names, values (a
// string, a number or a boolean word), comments, the label and braces, each a token type of the
// legend. A token that a lone CR splits into two of the client's lines is given up to that CR.
#ifndef KVR_LSP_SEMANTIC_TOKENS_H_
#define KVR_LSP_SEMANTIC_TOKENS_H_

#include "lsp/board_document.h"
#include "lsp/protocol.h"

namespace kvr::lsp {

SemanticTokensLegend semantic_tokens_legend();

SemanticTokens semantic_tokens(const BoardDocument& document, Encoding encoding);

}  // namespace kvr::lsp

#endif  // KVR_LSP_SEMANTIC_TOKENS_H_

// Completion, by what stands before the cursor:
// - a class ID, or the blanks after a device name: the class IDs valid there, as `kvrbuild -i'
//   writes them (x's stand for the digits of a device identifier; a bypass or generic ID with an
//   8-bit IR, BYPASS008), with the family's IR length as detail. On the main path every family
//   but the addressable scan port, which the main path refuses; in a linker group no linker and
//   no port either.
// - a variable name after its '[': the documented variables that the file does not set yet;
// - a value, or the blanks after a variable name: the boolean words for a variable that takes a
//   boolean, the values its section lists, and for [VORTA_SIZE_IRPATH] and [VORTA_SIZE_DRPATH]
//   the lengths the scan path has, and 0.
#ifndef KVR_LSP_COMPLETION_H_
#define KVR_LSP_COMPLETION_H_

#include <vector>

#include "lsp/board_document.h"
#include "lsp/protocol.h"

namespace kvr::lsp {

std::vector<CompletionItem> completion(const BoardDocument& document, const Position& position,
                                       Encoding encoding);

}  // namespace kvr::lsp

#endif  // KVR_LSP_COMPLETION_H_

// A class ID resolved as the parser resolves it where it stands: on the main path it must be one
// the family table shows at its full length, and no addressable scan port (-386); in a linker
// group a bypass or generic ID may carry fewer digits, and neither a linker nor a port may stand
// there (-380). On success: the family row, the IR length and the high-level class.
#ifndef KVR_LSP_CLASS_LOOKUP_H_
#define KVR_LSP_CLASS_LOOKUP_H_

#include <cstdint>
#include <string_view>

#include "base/status.h"
#include "config/class_table.h"
#include "lsp/board_document.h"

namespace kvr::lsp {

struct ClassLookup {
  Status status = kStatusOk;
  std::uint32_t row = kNoFamilyRow;
  std::uint32_t ir_length = 0;
  std::uint32_t high_level = 0;
};

ClassLookup look_up_class(std::string_view class_id, std::uint8_t version, bool in_group);

// The class of the device of statement `statement`: the board's, where the board holds the device,
// else its class ID looked up where it stands. A device without a class ID has the status -354.
ClassLookup device_class(const BoardDocument& document, std::size_t statement);

}  // namespace kvr::lsp

#endif  // KVR_LSP_CLASS_LOOKUP_H_

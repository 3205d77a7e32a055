// What sets a database apart from the bytes that the text made from it compiles to, said as the
// first record or offset that differs: a field of a device record, a class record, a high-level
// entry, a variable, or else a byte of the section it belongs to.
#ifndef KVR_VIEW_DATABASE_COMPARE_H_
#define KVR_VIEW_DATABASE_COMPARE_H_

#include <string>
#include <string_view>

#include "database/database_reader.h"

namespace kvr {

// `board` is `original` as read; `compiled` differs from it.
std::string first_difference(const StoredBoard& board, std::string_view original,
                             std::string_view compiled);

}  // namespace kvr

#endif  // KVR_VIEW_DATABASE_COMPARE_H_

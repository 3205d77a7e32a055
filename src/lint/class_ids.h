// Class IDs written back from what a board keeps of them: a family row and a high-level class.
//
// A class ID is the literal part of its family's type name followed by as many characters as the
// pattern's user positions, and the class-ID reader (config/hex_number.h) turns those characters
// into the number that the family's base is added to. The reader takes a sign, an "0x" prefix and
// stops at the first character that is no hexadecimal digit, so a family of w positions reaches
// every number below 16^w (the digits themselves, zero-filled) and, through a leading '-', the
// numbers 2^32 - u for every u below 16^(w-1); no other text of w characters reaches anything
// else, since blanks and prefixes only take room that leading zeros can take. So a high-level
// class that lies below its family's base (QV740K42-1 gives 0xB3FF) still has a class ID.
#ifndef KVR_LINT_CLASS_IDS_H_
#define KVR_LINT_CLASS_IDS_H_

#include <cstdint>
#include <optional>
#include <string>

#include "config/class_table.h"

namespace kvr {

// The number of characters that follow the literal part of the row's class IDs.
std::uint32_t digit_count(const FamilyRow& row);

// The `width` characters, upper case, that the class-ID reader turns into `value`, or nothing
// when no text of that width gives it.
std::optional<std::string> digits_for(std::uint32_t value, std::uint32_t width);

// A class ID of `row` whose high-level class is `high_level`, or nothing when the row has none.
std::optional<std::string> class_id_for(const FamilyRow& row, std::uint32_t high_level);

// "0x" and the value in upper-case hexadecimal, as kvrview shows a class or an offset.
std::string hex_text(std::uint32_t value);

}  // namespace kvr

#endif  // KVR_LINT_CLASS_IDS_H_

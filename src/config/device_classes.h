// Device statements: the quoted device name, the look-up of a class ID in the family class table,
// and the resolution of an ordinary device's class ID into its family, IR length and high-level
// class, with (for the first device of a family) the family's block of class records.
#ifndef KVR_CONFIG_DEVICE_CLASSES_H_
#define KVR_CONFIG_DEVICE_CLASSES_H_

#include <cstdint>

#include "base/status.h"
#include "config/line_reader.h"
#include "database/board_model.h"

namespace kvr {

inline constexpr std::uint32_t kMaxGenericIrLength = 0x400;

// Entered at the opening double quote. Reads 1 to 8 characters, lower-cased and zero-filled;
// whether an earlier device has the name is the parser's to check (config/name_check.h).
// `name` is zeroed at entry and set only on success. Statuses: -370, -391 (a '{' instead of the
// quote), -372, -373, -375.
Status parse_device_name(LineState& line, DeviceName& name);

// Looks an upper-case class ID up: a first pass over the rows' family-group prefixes (-381 when
// none matches) and a second over their literal parts and full lengths (-383). `row`, when given,
// receives 25 first and the row index on success.
Status find_family_row(const char* class_id, std::uint32_t* row, std::uint8_t version);

// Resolves an ordinary device's class ID into `device`: its family row, IR length and high-level
// class; the family's block of class records is appended with its first device. Statuses: -380,
// -381, -383, -390, -131.
Status resolve_device_class(BoardModel& model, const char* class_id, std::uint8_t version,
                            DeviceEntry& device);

// True when the first `n` characters of `text` and `pattern` are equal, case-sensitively; two
// texts that end at different places within those n characters differ.
bool same_first_chars(const char* text, const char* pattern, std::uint32_t n);

}  // namespace kvr

#endif  // KVR_CONFIG_DEVICE_CLASSES_H_

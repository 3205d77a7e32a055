// Growing the board model during a parse. Every growth point reports a failed allocation as -131
// instead of letting std::bad_alloc leave the configuration subsystem; what was appended before
// stays in the model, which frees it when it goes. Whether a name was used before is not checked
// here (config/name_check.h).
#ifndef KVR_CONFIG_MODEL_APPEND_H_
#define KVR_CONFIG_MODEL_APPEND_H_

#include <cstdint>
#include <new>
#include <string_view>

#include "base/status.h"
#include "database/board_model.h"

namespace kvr {

// Appends a device, or only counts it unless `keep`; its dev_id is the new device count. (This
// and append_variable are taken for every statement, so they are defined here.)
inline Status append_device(BoardModel& model, const DeviceEntry& device, bool keep) {
  try {
    if (keep) model.devices.push_back(device);
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  ++model.device_count;
  return kStatusOk;
}

// Appends `count` class records with `rev` 0 to count - 1 and the given size; `class_count`
// follows. The linkers' single record is a block of one with size 0.
Status append_class_block(BoardModel& model, std::uint32_t count, std::uint32_t size);

// Appends a configure variable, or only counts it unless `keep`; `location` receives where its
// name is kept (0 when it is not).
inline Status append_variable(BoardModel& model, std::string_view name, std::string_view value,
                              bool keep, std::uint32_t& location) {
  location = 0;
  try {
    if (keep) location = model.variables.append(name, value);
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  ++model.variable_count;
  return kStatusOk;
}

// Where a name stands: its line as the parser numbers lines (wrapping after 65535), the same line
// counted without wrapping, and the 0-based column of its opening bracket or quote.
struct NamePlace {
  std::uint32_t full_line = 0;
  std::uint16_t line = 0;
  std::uint16_t column = 0;
};

}  // namespace kvr

#endif  // KVR_CONFIG_MODEL_APPEND_H_

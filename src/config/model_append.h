// Growing the board model during a parse. Every growth point reports a failed allocation as -131
// instead of letting std::bad_alloc leave the configuration subsystem; what was appended before
// stays in the model for release_board_model to free.
#ifndef KVR_CONFIG_MODEL_APPEND_H_
#define KVR_CONFIG_MODEL_APPEND_H_

#include <cstdint>
#include <string_view>

#include "base/status.h"
#include "database/board_model.h"

namespace kvr {

// Appends a device (its dev_id is the new device count) and indexes its name under `hash`, which
// device_name_hash gave.
Status append_device(BoardModel& model, const DeviceEntry& device, std::uint64_t hash);

// Appends `count` class records with `rev` 0 to count - 1 and the given size; `class_count`
// follows. The linkers' single record is a block of one with size 0.
Status append_class_block(BoardModel& model, std::uint32_t count, std::uint32_t size);

// Appends a configure variable and indexes its name.
Status append_variable(BoardModel& model, std::string_view name, std::string_view value);

// Duplicate checks against everything appended so far. A device name (its eight bytes) is looked
// for under its hash.
std::uint64_t device_name_hash(const BoardModel& model, const DeviceName& name);
bool device_name_taken(const BoardModel& model, const DeviceName& name, std::uint64_t hash);
bool variable_name_taken(const BoardModel& model, std::string_view name);

}  // namespace kvr

#endif  // KVR_CONFIG_MODEL_APPEND_H_

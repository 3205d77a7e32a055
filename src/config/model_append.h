// Growing the board model during a parse. Every growth point reports a failed allocation as -131
// instead of letting std::bad_alloc leave the configuration subsystem; what was appended before
// stays in the model for release_board_model to free.
//
// Counters grow before the storage does, so after a failure a counter may count an element whose
// storage could not be obtained; the release copes with that.
#ifndef KVR_CONFIG_MODEL_APPEND_H_
#define KVR_CONFIG_MODEL_APPEND_H_

#include <cstdint>
#include <string>

#include "base/status.h"
#include "database/board_model.h"

namespace kvr {

// Counts one more device and stores its name last, indexed for the duplicate check.
Status append_device_name(BoardModel& model, const DeviceName& name);

// Grows the device records, then the high-level classes, to `device_count` entries.
Status grow_device_records(BoardModel& model);
Status grow_device_classes(BoardModel& model);

// Appends `count` class records with `rev` 0 to count - 1 and the given size; `class_count`
// follows. The linker's single record is a block of one with size 0.
Status append_class_block(BoardModel& model, std::uint32_t count, std::uint32_t size);

// Counts one more configure variable and stores the pair last, indexed for the duplicate check.
Status append_variable(BoardModel& model, std::string name, std::string value);

// Duplicate checks against everything appended so far, through the hashed indexes.
bool device_name_taken(const BoardModel& model, const DeviceName& name);
// May throw std::bad_alloc (the key is a copy of the name).
bool variable_name_taken(const BoardModel& model, const std::string& name);

}  // namespace kvr

#endif  // KVR_CONFIG_MODEL_APPEND_H_

// Growing the board model during a parse. Every growth point reports a failed allocation as -131
// instead of letting std::bad_alloc leave the configuration subsystem; what was appended before
// stays in the model, which frees it when it goes.
//
// A name is appended first and checked for an earlier twin later, in batches: the look-ups of a
// batch then overlap in memory, where one look-up at a time would wait for each in turn. The
// parser checks every pending name before it reports anything, so a duplicate still ends the
// parse at its own name and line, as a check at once would.
#ifndef KVR_CONFIG_MODEL_APPEND_H_
#define KVR_CONFIG_MODEL_APPEND_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "database/board_model.h"

namespace kvr {

// Appends a device; its dev_id is the new device count.
Status append_device(BoardModel& model, const DeviceEntry& device);

// Appends `count` class records with `rev` 0 to count - 1 and the given size; `class_count`
// follows. The linkers' single record is a block of one with size 0.
Status append_class_block(BoardModel& model, std::uint32_t count, std::uint32_t size);

// Appends a configure variable; `location` receives where its name is kept.
Status append_variable(BoardModel& model, std::string_view name, std::string_view value,
                       std::uint32_t& location);

// The hashes the names are indexed under: a device name's eight bytes, a variable name with its
// letter case folded.
std::uint64_t device_name_hash(const BoardModel& model, const DeviceName& name);
std::uint64_t variable_name_hash(const BoardModel& model, std::string_view name);

// Where a name stands: its line as the parser numbers lines (wrapping after 65535), the same line
// counted without wrapping, and the 0-based column of its opening bracket or quote.
struct NamePlace {
  std::uint32_t full_line = 0;
  std::uint16_t line = 0;
  std::uint16_t column = 0;
};

// A name appended but not yet checked: a device's index or a variable's location, and where it
// stands.
struct PendingName {
  std::uint64_t hash;
  std::uint32_t id;
  NamePlace place;
  bool device;
};

// Checks the pending names in order, each against every name before it, and indexes them; the
// list is emptied. The first duplicate gives -374 (a device) or -364 (a variable), with where it
// stands in `place`; -131 when memory is refused.
Status check_names(BoardModel& model, std::vector<PendingName>& pending, NamePlace& place);

// Whether a name not appended (its statement failed) has a twin among the checked names.
bool device_name_taken(const BoardModel& model, const DeviceName& name, std::uint64_t hash);
bool variable_name_taken(const BoardModel& model, std::string_view name, std::uint64_t hash);

}  // namespace kvr

#endif  // KVR_CONFIG_MODEL_APPEND_H_

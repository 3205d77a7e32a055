// How the parser finds a name used twice (letter case ignored for variables; devices and
// variables apart): the first name in file order that repeats an earlier one of its kind ends the
// parse at that name, before any later fault, just as if every name were checked the moment it is
// read. Two ways of checking give that same answer.
//
// At once: each name is looked up in an index (database/name_index.h) as soon as it is read, and
// added to it once its statement is complete. The verbose echo needs this, as it must stop at the
// duplicate's line.
//
// Afterwards: each complete statement leaves its name's hash in a log (database/name_log.h),
// checked once the file is read, bucket by bucket, with no wait for memory at a random place. A
// file without a duplicate is done then. Where a bucket repeats a hash (or the name of a failed
// statement repeats one), the file is read a second time, checking at once only the names of
// those buckets: that reading stops at the first duplicate, at its own name, or ends as the first
// did when the repeat was one of chance.
#ifndef KVR_CONFIG_NAME_CHECK_H_
#define KVR_CONFIG_NAME_CHECK_H_

#include <cstdint>
#include <new>
#include <string_view>

#include "base/status.h"
#include "database/board_model.h"
#include "database/name_hash.h"
#include "database/name_index.h"
#include "database/name_log.h"

namespace kvr {

struct NameCheck {
  bool at_once = true;
  NameHasher hasher{};
  // At once: the buckets whose names are checked (all of them on a first reading), and the names
  // checked so far.
  NameBuckets device_buckets{}, variable_buckets{};
  NameIndex devices{}, variables{};
  // Afterwards: the hashes of the names read so far.
  NameLog device_log{}, variable_log{};
};

// Readies `check` for a first reading, checking at once or afterwards.
void start_name_check(NameCheck& check, bool at_once);

// The hashes the names are checked by: a device name's eight bytes, a variable name with its letter
// case folded.
inline std::uint64_t device_name_hash(const NameCheck& check, const DeviceName& name) {
  return check.hasher(name.data(), 8, false);
}
inline std::uint64_t variable_name_hash(const NameCheck& check, std::string_view name) {
  return check.hasher(name.data(), name.size(), true);
}

// Checking at once: whether a name just read repeats one already noted. False for a name whose
// bucket this reading does not check.
bool device_name_taken(const NameCheck& check, const BoardModel& model, const DeviceName& name,
                       std::uint64_t hash);
bool variable_name_taken(const NameCheck& check, const BoardModel& model, std::string_view name,
                         std::uint64_t hash);

// Notes the name of a complete statement: device `index`, or the variable at `location`. -131 when
// memory is refused. Logging is the step every name takes, so it is defined here.
inline Status log_name(NameLog& log, std::uint64_t hash) {
  try {
    log.add(hash);
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  return kStatusOk;
}
Status index_device_name(NameCheck& check, const BoardModel& model, std::uint64_t hash,
                         std::uint32_t index);
Status index_variable_name(NameCheck& check, const BoardModel& model, std::uint64_t hash,
                           std::uint32_t location);
inline Status note_device_name(NameCheck& check, const BoardModel& model, std::uint64_t hash,
                               std::uint32_t index) {
  return check.at_once ? index_device_name(check, model, hash, index)
                       : log_name(check.device_log, hash);
}
inline Status note_variable_name(NameCheck& check, const BoardModel& model, std::uint64_t hash,
                                 std::uint32_t location) {
  return check.at_once ? index_variable_name(check, model, hash, location)
                       : log_name(check.variable_log, hash);
}

// The name of a statement that failed, read but never noted.
struct UnnotedName {
  bool device;
  std::uint64_t hash;
};

// After a first reading checked afterwards: whether a noted name, or `failed` when given, may
// repeat an earlier one. If so, `check` is readied for a second reading that checks at once the
// names of the buckets where a repeat was found. The logs are emptied. -131 when memory is refused.
Status look_for_repeats(NameCheck& check, const UnnotedName* failed, bool& found);

}  // namespace kvr

#endif  // KVR_CONFIG_NAME_CHECK_H_

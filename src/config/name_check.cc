#include "config/name_check.h"

#include <cstring>
#include <new>

#include "base/ascii.h"

namespace kvr {
namespace {

bool same_variable_name(const BoardModel& model, std::uint32_t location, std::string_view name) {
  const char* other = model.variables.name_at(location);
  return std::strlen(other) == name.size() && equal_nocase_n(other, name.data(), name.size()) == 0;
}

}  // namespace

void start_name_check(NameCheck& check, bool at_once) {
  check.at_once = at_once;
  check.device_buckets.set();
  check.variable_buckets.set();
}

bool device_name_taken(const NameCheck& check, const BoardModel& model, const DeviceName& name,
                       std::uint64_t hash) {
  if (!check.device_buckets[name_bucket(hash)]) return false;
  return check.devices.contains(hash, [&](std::uint32_t index) {
    return std::memcmp(model.devices[index].name.data(), name.data(), 8) == 0;
  });
}

bool variable_name_taken(const NameCheck& check, const BoardModel& model, std::string_view name,
                         std::uint64_t hash) {
  if (!check.variable_buckets[name_bucket(hash)]) return false;
  return check.variables.contains(
      hash, [&](std::uint32_t location) { return same_variable_name(model, location, name); });
}

Status index_device_name(NameCheck& check, const BoardModel& model, std::uint64_t hash,
                         std::uint32_t index) {
  if (!check.device_buckets[name_bucket(hash)]) return kStatusOk;
  try {
    check.devices.insert(hash, index, [&](std::uint32_t other) {
      return device_name_hash(check, name_of(model.devices[other]));
    });
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  return kStatusOk;
}

Status index_variable_name(NameCheck& check, const BoardModel& model, std::uint64_t hash,
                           std::uint32_t location) {
  if (!check.variable_buckets[name_bucket(hash)]) return kStatusOk;
  try {
    check.variables.insert(hash, location, [&](std::uint32_t other) {
      return variable_name_hash(check, model.variables.name_at(other));
    });
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  return kStatusOk;
}

Status look_for_repeats(NameCheck& check, const UnnotedName* failed, bool& found) {
  try {
    const bool device = failed != nullptr && failed->device;
    const bool variable = failed != nullptr && !failed->device;
    const std::uint64_t hash = failed != nullptr ? failed->hash : 0;
    check.device_buckets = check.device_log.repeats(device, hash);
    check.device_log.clear();
    check.variable_buckets = check.variable_log.repeats(variable, hash);
    check.variable_log.clear();
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  found = check.device_buckets.any() || check.variable_buckets.any();
  check.at_once = true;
  return kStatusOk;
}

}  // namespace kvr

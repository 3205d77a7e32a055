#include "config/model_append.h"

#include <cstring>
#include <new>

#include "base/ascii.h"

namespace kvr {
namespace {

std::uint64_t variable_hash(const BoardModel& model, std::string_view name) {
  return model.variable_names.hash(name.data(), name.size(), true);
}

}  // namespace

Status append_device(BoardModel& model, const DeviceEntry& device, std::uint64_t hash) {
  try {
    model.device_names.insert(
        hash, static_cast<std::uint32_t>(model.devices.size()), [&](std::uint32_t other) {
          return model.device_names.hash(model.devices[other].name.data(), 8, false);
        });
    model.devices.push_back(device);
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  model.device_count = static_cast<std::uint32_t>(model.devices.size());
  return kStatusOk;
}

Status append_class_block(BoardModel& model, std::uint32_t count, std::uint32_t size) {
  try {
    for (std::uint32_t rev = 0; rev < count; ++rev) {
      model.classes.push_back(ClassRecord{rev, size, 0, 0});
    }
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  model.class_count += count;
  return kStatusOk;
}

Status append_variable(BoardModel& model, std::string_view name, std::string_view value) {
  try {
    const std::uint32_t location =
        model.variables.append(name, model.keep_values ? value : std::string_view());
    model.variable_names.insert(variable_hash(model, name), location, [&](std::uint32_t other) {
      return variable_hash(model, model.variables.name_at(other));
    });
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  ++model.variable_count;
  return kStatusOk;
}

std::uint64_t device_name_hash(const BoardModel& model, const DeviceName& name) {
  return model.device_names.hash(name.data(), 8, false);
}

bool device_name_taken(const BoardModel& model, const DeviceName& name, std::uint64_t hash) {
  return model.device_names.contains(hash, [&](std::uint32_t id) {
    return std::memcmp(model.devices[id].name.data(), name.data(), 8) == 0;
  });
}

bool variable_name_taken(const BoardModel& model, std::string_view name) {
  return model.variable_names.contains(variable_hash(model, name), [&](std::uint32_t location) {
    const char* other = model.variables.name_at(location);
    return std::strlen(other) == name.size() &&
           equal_nocase_n(other, name.data(), name.size()) == 0;
  });
}

}  // namespace kvr

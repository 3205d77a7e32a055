#include "config/model_append.h"

#include <cstring>
#include <new>

#include "base/ascii.h"

namespace kvr {
namespace {

std::uint64_t name_hash(const BoardModel& model, const char* name) {
  return model.device_names.hash(name, 8, false);
}

std::uint64_t variable_hash(const BoardModel& model, std::string_view name) {
  return model.variable_names.hash(name.data(), name.size(), true);
}

}  // namespace

Status append_device(BoardModel& model, const DeviceEntry& device) {
  try {
    model.devices.push_back(device);
    const auto id = static_cast<std::uint32_t>(model.devices.size() - 1);
    model.device_names.insert(name_hash(model, device.name.data()), id, [&](std::uint32_t other) {
      return name_hash(model, model.devices[other].name.data());
    });
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
    const std::uint32_t location = model.variables.append(name, value);
    model.variable_names.insert(variable_hash(model, name), location, [&](std::uint32_t other) {
      return variable_hash(model, model.variables.name_at(other));
    });
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  ++model.variable_count;
  return kStatusOk;
}

bool device_name_taken(const BoardModel& model, const DeviceName& name) {
  return model.device_names.contains(name_hash(model, name.data()), [&](std::uint32_t id) {
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

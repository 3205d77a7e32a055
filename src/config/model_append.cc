#include "config/model_append.h"

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

Status append_device(BoardModel& model, const DeviceEntry& device) {
  try {
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

Status append_variable(BoardModel& model, std::string_view name, std::string_view value,
                       std::uint32_t& location) {
  try {
    location = model.variables.append(name, model.keep_values ? value : std::string_view());
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  ++model.variable_count;
  return kStatusOk;
}

std::uint64_t device_name_hash(const BoardModel& model, const DeviceName& name) {
  return model.device_names.hash(name.data(), 8, false);
}

std::uint64_t variable_name_hash(const BoardModel& model, std::string_view name) {
  return model.variable_names.hash(name.data(), name.size(), true);
}

bool device_name_taken(const BoardModel& model, const DeviceName& name, std::uint64_t hash) {
  return model.device_names.contains(hash, [&](std::uint32_t id) {
    return std::memcmp(model.devices[id].name.data(), name.data(), 8) == 0;
  });
}

bool variable_name_taken(const BoardModel& model, std::string_view name, std::uint64_t hash) {
  return model.variable_names.contains(
      hash, [&](std::uint32_t location) { return same_variable_name(model, location, name); });
}

Status check_names(BoardModel& model, std::vector<PendingName>& pending, NamePlace& place) {
  const auto device_hash = [&](std::uint32_t id) {
    return model.device_names.hash(model.devices[id].name.data(), 8, false);
  };
  const auto variable_hash = [&](std::uint32_t location) {
    return variable_name_hash(model, model.variables.name_at(location));
  };
  Status status = kStatusOk;
  try {
    for (const PendingName& name : pending) {
      if (name.device) {
        DeviceName text{};
        std::memcpy(text.data(), model.devices[name.id].name.data(), 8);
        if (device_name_taken(model, text, name.hash)) {
          status = kStatusDeviceNameDuplicate;
        } else {
          model.device_names.insert(name.hash, name.id, device_hash);
        }
      } else {
        const std::string_view text = model.variables.name_at(name.id);
        if (variable_name_taken(model, text, name.hash)) {
          status = kStatusVariableNameDuplicate;
        } else {
          model.variable_names.insert(name.hash, name.id, variable_hash);
        }
      }
      if (status != kStatusOk) {
        place = name.place;
        break;
      }
    }
  } catch (const std::bad_alloc&) {
    status = kStatusNoMemory;
  }
  pending.clear();
  return status;
}

}  // namespace kvr

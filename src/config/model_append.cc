#include "config/model_append.h"

#include <new>

namespace kvr {

Status append_device(BoardModel& model, const DeviceEntry& device, bool keep) {
  try {
    if (keep) model.devices.push_back(device);
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  ++model.device_count;
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

Status append_variable(BoardModel& model, std::string_view name, std::string_view value, bool keep,
                       std::uint32_t& location) {
  location = 0;
  try {
    if (keep) location = model.variables.append(name, value);
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  ++model.variable_count;
  return kStatusOk;
}

}  // namespace kvr

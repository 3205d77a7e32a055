#include "config/model_append.h"

#include <new>
#include <utility>

namespace kvr {

Status append_device_name(BoardModel& model, const DeviceName& name) {
  ++model.device_count;
  try {
    model.device_names.push_back(name);
    model.device_name_keys.insert(device_name_key(name));
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  return kStatusOk;
}

namespace {

template <typename T>
Status grow_to(std::vector<T>& array, std::uint32_t count) {
  try {
    array.resize(count);
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  return kStatusOk;
}

}  // namespace

Status grow_device_records(BoardModel& model) {
  return grow_to(model.devices, model.device_count);
}

Status grow_device_classes(BoardModel& model) {
  return grow_to(model.device_classes, model.device_count);
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

Status append_variable(BoardModel& model, std::string name, std::string value) {
  ++model.variable_count;
  try {
    std::string key = variable_key(name);
    model.variables.push_back(ConfigVariable{std::move(name), std::move(value)});
    model.variable_keys.insert(std::move(key));
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  return kStatusOk;
}

bool device_name_taken(const BoardModel& model, const DeviceName& name) {
  return model.device_name_keys.contains(device_name_key(name));
}

bool variable_name_taken(const BoardModel& model, const std::string& name) {
  return model.variable_keys.contains(variable_key(name));
}

}  // namespace kvr

#include "database/board_model.h"

#include <cstring>

#include "base/ascii.h"

namespace kvr {

std::string variable_key(std::string_view name) {
  return lower_cased(name);
}

std::uint64_t device_name_key(const DeviceName& name) {
  std::uint64_t key = 0;
  std::memcpy(&key, name.data(), sizeof key);
  return key;
}

void release_board_model(BoardModel& model) {
  // Swapping with empty containers returns their memory, which clear() would keep.
  std::vector<DeviceRecord>().swap(model.devices);
  std::vector<ClassRecord>().swap(model.classes);
  std::vector<DeviceName>().swap(model.device_names);
  std::vector<std::uint32_t>().swap(model.device_classes);
  std::vector<ConfigVariable>().swap(model.variables);
  std::unordered_set<std::string>().swap(model.variable_keys);
  std::unordered_set<std::uint64_t>().swap(model.device_name_keys);
  model.device_count = 0;
  model.class_count = 0;
  model.variable_count = 0;
  model.family_class_base.fill(0);
  model.family_use_count.fill(0);
}

}  // namespace kvr

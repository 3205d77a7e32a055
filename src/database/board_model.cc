#include "database/board_model.h"

#include <algorithm>

namespace kvr {

DeviceName name_of(const DeviceEntry& device) {
  DeviceName name{};
  std::copy(device.name.begin(), device.name.end(), name.begin());
  return name;
}

void release_board_model(BoardModel& model) {
  // Swapping with empty containers returns their memory, which clear() would keep.
  std::vector<ClassRecord>().swap(model.classes);
  std::vector<LinkerEntry>().swap(model.linkers);
  model.devices.clear();
  model.variables.clear();
  model.device_names.clear();
  model.variable_names.clear();
  model.device_count = 0;
  model.class_count = 0;
  model.variable_count = 0;
  model.linker_class = 0;
  model.main_ir = 0;
  model.main_devices = 0;
  model.family_class_base.fill(0);
  model.family_use_count.fill(0);
}

}  // namespace kvr

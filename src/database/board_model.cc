#include "database/board_model.h"

#include <algorithm>

namespace kvr {

DeviceName name_of(const DeviceEntry& device) {
  DeviceName name{};
  std::copy(device.name.begin(), device.name.end(), name.begin());
  return name;
}

}  // namespace kvr

// The path fields of a device record follow from its place on its path, the main path or one
// sub-path of a scan-path linker: preIR and preDR count the instruction-register bits and the
// devices before it, posIR and posDR those after it. Inside a linker's sub-path every device also
// counts the linker's own one-bit bypass after it: one more bit and one more device.
#ifndef KVR_DATABASE_PATH_RULES_H_
#define KVR_DATABASE_PATH_RULES_H_

#include <cstdint>

#include "database/board_model.h"

namespace kvr {

// The leading fields of `device`, which follows `before` on its path.
inline void set_leading_fields(DeviceRecord& device, const DeviceRecord& before) {
  device.preIR = before.preIR + before.mainIR;
  device.preDR = before.preDR + 1;
}

// The trailing fields of `device` on a path whose last device is `last`; `bypass` is 1 on a
// linker's sub-path and 0 on the main path.
inline void set_trailing_fields(DeviceRecord& device, const DeviceRecord& last,
                                std::uint32_t bypass) {
  device.posIR = last.preIR + last.mainIR + bypass - device.preIR - device.mainIR;
  device.posDR = last.preDR + bypass - device.preDR;
}

// The device a reader derives inside a version 2 device group for the one after `previous`:
// the same device one place further along the same path.
inline DeviceRecord derived_follower(const DeviceRecord& previous) {
  DeviceRecord next = previous;
  next.dev_id = previous.dev_id + 1;
  next.prior = previous.dev_id;
  set_leading_fields(next, previous);
  next.posIR = previous.posIR - previous.mainIR;
  next.posDR = previous.posDR - 1;
  return next;
}

}  // namespace kvr

#endif  // KVR_DATABASE_PATH_RULES_H_

// The path fields of a device record follow from its place on its path, the main path or one
// sub-path of a scan-path linker: preIR and preDR count the instruction-register bits and the
// devices before it, posIR and posDR those after it. Inside a linker's sub-path every device also
// counts the linker's own one-bit bypass after it: one more bit and one more device.
#ifndef KVR_DATABASE_PATH_RULES_H_
#define KVR_DATABASE_PATH_RULES_H_

#include <cstdint>

#include "database/board_model.h"

namespace kvr {

// A path being walked from its first device: what stands before the next device, and what the
// whole path adds up to. Sums wrap as 32-bit words do.
struct PathCursor {
  std::uint32_t prior = 0;  // dev_id of the last device walked, 0 before the first
  std::uint32_t before_ir = 0, before_devices = 0;
  std::uint32_t total_ir = 0, total_devices = 0;
  std::uint32_t bypass = 0;  // 1 on a linker's sub-path

  // Gives `device` (its dev_id and mainIR set) its path fields, and steps past it.
  void place(DeviceRecord& device) {
    device.prior = prior;
    device.preIR = before_ir;
    device.preDR = before_devices;
    device.posIR = total_ir + bypass - before_ir - device.mainIR;
    device.posDR = total_devices + bypass - before_devices - 1;
    prior = device.dev_id;
    before_ir += device.mainIR;
    before_devices += 1;
  }
};

// The device a reader derives inside a version 2 device group for the one after `previous`:
// the same kind of device one place further along the same path.
inline DeviceRecord derived_follower(const DeviceRecord& previous) {
  DeviceRecord next = previous;
  next.dev_id = previous.dev_id + 1;
  next.prior = previous.dev_id;
  next.preIR = previous.preIR + previous.mainIR;
  next.preDR = previous.preDR + 1;
  next.posIR = previous.posIR - previous.mainIR;
  next.posDR = previous.posDR - 1;
  return next;
}

// Whether a version 2 database stores `device` in the group of `previous`, the device before it:
// a main-path device that is no linker, of the same class records, and exactly the follower a
// reader derives (database/format.h says why the last condition is needed).
inline bool joins_device_group(const DeviceRecord& device, const DeviceRecord& previous) {
  const bool baseline_rule =
      device.connect == 0 && device.parent == 0 && device.cls_id == previous.cls_id;
  return baseline_rule && device == derived_follower(previous);
}

}  // namespace kvr

#endif  // KVR_DATABASE_PATH_RULES_H_

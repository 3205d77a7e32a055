// Walks a board model's devices in record order and gives each its whole database record: the
// fields the model keeps, the class record its family or the linkers share, and the path fields
// that its place on its path gives it (database/path_rules.h).
#ifndef KVR_DATABASE_DEVICE_WALK_H_
#define KVR_DATABASE_DEVICE_WALK_H_

#include <cstdint>
#include <vector>

#include "database/board_model.h"
#include "database/path_rules.h"

namespace kvr {

class DeviceWalk {
 public:
  explicit DeviceWalk(const BoardModel& model);
  // The next device's record; false after the last device.
  bool next(DeviceRecord& record);

 private:
  const BoardModel& model_;
  std::uint32_t index_ = 0;
  std::size_t linker_ = 0;  // the linkers met so far
  PathCursor main_;
  PathCursor group_;
  std::uint32_t group_parent_ = 0, group_subpath_ = 0;
};

// Every record, for readers that want them all at once.
std::vector<DeviceRecord> device_records(const BoardModel& model);

}  // namespace kvr

#endif  // KVR_DATABASE_DEVICE_WALK_H_

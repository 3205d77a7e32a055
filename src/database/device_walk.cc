#include "database/device_walk.h"

namespace kvr {

DeviceWalk::DeviceWalk(const BoardModel& model) : model_(model) {
  main_.total_ir = model.main_ir;
  main_.total_devices = model.main_devices;
}

bool DeviceWalk::next(DeviceRecord& record) {
  if (index_ == model_.devices.size()) return false;
  const DeviceEntry& entry = model_.devices[index_];
  record = DeviceRecord{};
  record.dev_id = ++index_;
  record.mainIR = entry.mainIR;
  if (entry.place == kLinkerPlace) {
    const LinkerEntry& linker = model_.linkers[linker_++];
    record.connect = 1;
    record.sub_id = linker.sub_id;
    record.cls_id = model_.linker_class;
  } else {
    record.cls_id = model_.family_class_base[entry.family];
  }
  if (entry.place == kLinkerPlace || entry.place == kMainPathPlace) {
    main_.place(record);
    return true;
  }
  // A sub-path's devices stand together, right after their linker's earlier sub-paths.
  const LinkerEntry& linker = model_.linkers[linker_ - 1];
  record.parent = linker.dev_id;
  record.subpath = entry.place;
  if (record.parent != group_parent_ || record.subpath != group_subpath_) {
    group_ = PathCursor{};
    group_.total_ir = linker.group_ir[record.subpath];
    group_.total_devices = linker.group_devices[record.subpath];
    group_.bypass = 1;
    group_parent_ = record.parent;
    group_subpath_ = record.subpath;
  }
  group_.place(record);
  return true;
}

std::vector<DeviceRecord> device_records(const BoardModel& model) {
  std::vector<DeviceRecord> records;
  records.reserve(model.devices.size());
  DeviceWalk walk(model);
  for (DeviceRecord record; walk.next(record);) records.push_back(record);
  return records;
}

}  // namespace kvr

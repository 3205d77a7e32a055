#include "database/scan_paths.h"

#include "database/path_rules.h"

namespace kvr {

ScanPaths scan_paths(const StoredBoard& board) {
  ScanPaths paths;
  const std::vector<DeviceRecord>& devices = board.devices;
  for (std::size_t i = 0; i < devices.size(); ++i) {
    const DeviceRecord& d = devices[i];
    if (d.connect == 1 && d.parent == 0) paths.sub_paths[i];
    // Only a linker on the main path opens sub-paths: the format has no linker inside a linker.
    const bool in_linker = d.parent != 0 && d.parent <= devices.size() &&
                           devices[d.parent - 1].connect == 1 &&
                           devices[d.parent - 1].parent == 0 && d.subpath < 4;
    if (in_linker) {
      paths.sub_paths[d.parent - 1][d.subpath].push_back(i);
    } else {
      paths.main.push_back(i);
    }
  }
  return paths;
}

PathTotal path_total(const StoredBoard& board, const DevicePath& path) {
  PathTotal total{path.size(), 0};
  for (const std::size_t i : path) total.ir_bits += board.devices[i].mainIR;
  return total;
}

std::vector<std::pair<std::size_t, std::size_t>> device_groups(const StoredBoard& board,
                                                               const DevicePath& path) {
  std::vector<std::pair<std::size_t, std::size_t>> groups;
  for (std::size_t n = 0; n < path.size(); ++n) {
    const std::size_t i = path[n];
    const bool joins = !groups.empty() && n > 0 && path[n - 1] + 1 == i &&
                       joins_device_group(board.devices[i], board.devices[i - 1]);
    if (joins) {
      ++groups.back().second;
    } else {
      groups.emplace_back(i, 1);
    }
  }
  return groups;
}

}  // namespace kvr

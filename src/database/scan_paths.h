// The paths of a board: the main path from TDI to TDO, and the four sub-paths of each scan-path
// linker, each a list of devices in record order. A device belongs to sub-path k of a linker when
// its record names that linker, itself on the main path, as its parent and k as its sub-path;
// every other device stands on the main path, so that even a damaged database gives a drawing.
#ifndef KVR_DATABASE_SCAN_PATHS_H_
#define KVR_DATABASE_SCAN_PATHS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "database/database_reader.h"

namespace kvr {

using DevicePath = std::vector<std::size_t>;  // indices into the board's devices

struct ScanPaths {
  DevicePath main;
  std::map<std::size_t, std::array<DevicePath, 4>> sub_paths;  // by the linker's index
};

ScanPaths scan_paths(const StoredBoard& board);

// What a path adds up to: its devices and their instruction-register bits.
struct PathTotal {
  std::uint64_t devices = 0;
  std::uint64_t ir_bits = 0;
};
PathTotal path_total(const StoredBoard& board, const DevicePath& path);

// The runs of a path that a version 2 database stores as one device group: the first index of
// each run and its length.
std::vector<std::pair<std::size_t, std::size_t>> device_groups(const StoredBoard& board,
                                                               const DevicePath& path);

}  // namespace kvr

#endif  // KVR_DATABASE_SCAN_PATHS_H_

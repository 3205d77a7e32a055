// Where each device of a board stands in the scan chain that the open JTAG tools see: on the
// main path with no linker's sub-path selected, or on its sub-path with that sub-path selected
// (`kvrview --svf DEVICE --select LINKER:K'), and what the linkers' sub-paths add up to.
#ifndef KVR_LSP_SCAN_PLACES_H_
#define KVR_LSP_SCAN_PLACES_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "database/database_reader.h"
#include "database/scan_paths.h"

namespace kvr::lsp {

inline constexpr std::size_t kMainPath = ~std::size_t{0};

struct DevicePlace {
  std::size_t index = 0;           // from TDI, from 1, in its chain
  std::size_t chain_length = 0;    // the devices of that chain
  std::size_t linker = kMainPath;  // the device index of its linker, for a device of a sub-path
  std::uint32_t sub_path = 0;
  std::uint64_t tdi_bits = 0;  // the IR bits between TDI and it: what --svf pads with TIR
  std::uint64_t tdo_bits = 0;  // the IR bits between it and TDO: what --svf pads with HIR
};

struct ScanPlaces {
  std::vector<DevicePlace> devices;  // in record order
  PathTotal main;                    // the main path, each linker with its own IR bits
  std::map<std::size_t, std::array<PathTotal, 4>> linkers;  // by the linker's device index
};

ScanPlaces scan_places(const StoredBoard& board);

}  // namespace kvr::lsp

#endif  // KVR_LSP_SCAN_PLACES_H_

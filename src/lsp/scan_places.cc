#include "lsp/scan_places.h"

namespace kvr::lsp {

ScanPlaces scan_places(const StoredBoard& board) {
  ScanPlaces places;
  places.devices.resize(board.devices.size());
  const ScanPaths paths = scan_paths(board);
  const auto ir = [&](std::size_t index) -> std::uint64_t { return board.devices[index].mainIR; };
  places.main = path_total(board, paths.main);
  std::uint64_t before = 0;  // the IR bits of the main path before the device
  for (std::size_t p = 0; p < paths.main.size(); ++p) {
    const std::size_t index = paths.main[p];
    places.devices[index] = {
        p + 1, paths.main.size(), kMainPath, 0, before, places.main.ir_bits - before - ir(index)};
    const auto sub_paths = paths.sub_paths.find(index);
    if (sub_paths != paths.sub_paths.end()) {
      std::array<PathTotal, 4>& totals = places.linkers[index];
      for (std::uint32_t k = 0; k < 4; ++k) {
        const DevicePath& path = sub_paths->second[k];
        totals[k] = path_total(board, path);
        // The sub-path stands between the linker and the next device of the main path.
        std::uint64_t inside = before + ir(index);
        const std::uint64_t after = places.main.ir_bits - before - ir(index);
        for (std::size_t q = 0; q < path.size(); ++q) {
          const std::size_t member = path[q];
          places.devices[member] = {
              p + 2 + q, paths.main.size() + path.size(),
              index,     k,
              inside,    totals[k].ir_bits - (inside - before - ir(index)) - ir(member) + after};
          inside += ir(member);
        }
      }
    }
    before += ir(index);
  }
  return places;
}

}  // namespace kvr::lsp

// A board's scan chain as the open JTAG tools see it: a list of TAPs from TDI to TDO, each with its
// instruction register (IR) length. The board's devices map onto TAPs by one model, which the
// OpenOCD script, the SVF padding and the simulated board share:
// - every device of the main path is a TAP, the scan-path linker included, with its own IR length;
// - a linker's sub-path that is selected puts its devices, in their order from TDI to TDO, between
//   the linker and the next device of the main path;
// - a sub-path that is not selected is not in the chain at all.
// At most one sub-path of a linker can be selected. The list keeps every sub-path's devices, at
// their place and in the order the board lists them (sub-path 0 first), those of the sub-paths
// not selected marked as out of the chain: OpenOCD declares them -disable, so that a tap-enable
// can bring them in, and the simulated linker brings them in when it is told to select them.
#ifndef KVR_BRIDGE_BOARD_CHAIN_H_
#define KVR_BRIDGE_BOARD_CHAIN_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/outcome.h"
#include "database/database_reader.h"

namespace kvr {

// `--select LINKER:K`: sub-path K (0 to 3) of the linker named LINKER.
struct SubPathChoice {
  std::string linker;
  std::uint32_t sub_path = 0;
};

inline constexpr int kNoSubPath = -1;

struct ChainTap {
  std::string name;  // the device name
  std::uint32_t ir_length = 0;
  bool in_chain = true;       // false for a device of a sub-path left unselected
  std::string linker;         // a sub-path device's linker; empty on the main path
  int sub_path = kNoSubPath;  // a sub-path device's sub-path
  int selected = kNoSubPath;  // a linker's selected sub-path
  bool is_linker = false;
};

// The chain of `board` with `choices`, from TDI to TDO. A choice that names no linker of the board,
// or a linker chosen twice, fails with the reason in `problem`.
Outcome board_chain(const StoredBoard& board, const std::vector<SubPathChoice>& choices,
                    std::vector<ChainTap>& chain, std::string& problem);

}  // namespace kvr

#endif  // KVR_BRIDGE_BOARD_CHAIN_H_

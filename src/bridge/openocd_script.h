// The board as an OpenOCD Tcl script: one `jtag newtap CHIP DEVICE -irlen N' for every TAP of the
// chain, declared from the TAP nearest TDO to the one nearest TDI, as OpenOCD wants (the first TAP
// it is told of is the one nearest TDO). A sub-path device out of the chain is declared -disable,
// at its place, after a comment that names its linker and sub-path; a selected sub-path's
// devices are declared enabled, after a comment that says which sub-paths are left out.
#ifndef KVR_BRIDGE_OPENOCD_SCRIPT_H_
#define KVR_BRIDGE_OPENOCD_SCRIPT_H_

#include <string>
#include <vector>

#include "base/outcome.h"
#include "bridge/board_chain.h"

namespace kvr {

inline constexpr char kDefaultChip[] = "board";

// The script for `chain`, whose header comment names `source`, the file it was made from.
Outcome openocd_script(const std::vector<ChainTap>& chain, const std::string& chip,
                       const std::string& source, std::string& script);

// `text` with every byte outside printable ASCII replaced by '?', fit for a comment line.
std::string printable(std::string text);

}  // namespace kvr

#endif  // KVR_BRIDGE_OPENOCD_SCRIPT_H_

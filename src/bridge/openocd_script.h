// The board as an OpenOCD Tcl script: one `jtag newtap CHIP DEVICE -irlen N' for every TAP of the
// chain, declared from the TAP nearest TDO to the one nearest TDI, as OpenOCD wants (the first TAP
// it is told of is the one nearest TDO). A sub-path device out of the chain is declared -disable,
// at its place, after a comment that names its linker and sub-path; a selected sub-path's
// devices are declared enabled, after a comment that says which sub-paths are left out.
//
// Sourcing the script runs the commands of kScriptCommands and nothing else. Every word of it is
// the chip name or a device name, both letters, digits and '_' alone, which Tcl substitutes
// nothing in: a board whose chain holds a name that is no valid device name (1 to 8 letters,
// digits and '_', a letter first), which only a database edited by hand or damaged can hold, is
// refused rather than quoted, since OpenOCD's users type the TAP's name in their own commands
// (jtag tapenable board.dsp). Every comment passes through openocd_comment
// (bridge/generated_text.h).
//
// Then `adapter speed' in kHz, when the board gives [VORTA_TCLK_FREQUENCY], and for each linker
// the means to switch it while OpenOCD runs, by the registers of the simulated linker
// (jtag/simulated_linker.h):
//   set ::CHIP_LINKER_selected K        the selection, 4 for none, as declared
//   post-reset handler of the linker    sets it back to the declared one
//   proc CHIP_LINKER_select {k tap}     irscan LINKER 0x02, drscan LINKER 3 k, then enables the
//                                       other TAPs of sub-path k and disables those of the rest
//   proc CHIP_LINKER_leave {k tap}      selects none when sub-path k is selected
//   tap-enable handler of each sub-path device:   CHIP_LINKER_select K CHIP.DEVICE
//   tap-disable handler of each sub-path device:  CHIP_LINKER_leave K CHIP.DEVICE
// OpenOCD marks only the TAP whose handler ran; the proc brings in the rest of its sub-path with
// `jtag tapenable', whose handlers find the selection already made and do no scan.
#ifndef KVR_BRIDGE_OPENOCD_SCRIPT_H_
#define KVR_BRIDGE_OPENOCD_SCRIPT_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/outcome.h"
#include "bridge/board_chain.h"

namespace kvr {

inline constexpr char kDefaultChip[] = "board";

// The commands a script of openocd_script calls when it is sourced, each "COMMAND" or "COMMAND
// SUBCOMMAND": the one list that says so, which the fuzz target holds the script to.
inline constexpr std::string_view kScriptCommands[] = {"jtag newtap", "jtag configure",
                                                       "adapter speed", "set", "proc"};

// The script for `chain`, whose header comment names `source`, the file it was made from, with
// the board's test clock `tclk_frequency` (see tclk_frequency below). A chip or a device name that
// cannot stand in the script fails with the reason in `problem`.
Outcome openocd_script(const std::vector<ChainTap>& chain, const std::string& chip,
                       const std::string& source, std::string& script, std::string& problem,
                       const std::string& tclk_frequency = "");

// The value of the board's [VORTA_TCLK_FREQUENCY] (the name in any letter case) as stored, or ""
// when it sets none.
std::string tclk_frequency(const StoredBoard& board);

}  // namespace kvr

#endif  // KVR_BRIDGE_OPENOCD_SCRIPT_H_

// The chain an OpenOCD script declares, read by evaluating the script as OpenOCD would: in an
// embedded Jim Tcl interpreter (OpenOCD's own Tcl), sandboxed, whose OpenOCD commands record the
// TAPs (bridge/openocd_commands.h). A build without Jim Tcl reads no script and says so.
#ifndef KVR_BRIDGE_TCL_CHAIN_READER_H_
#define KVR_BRIDGE_TCL_CHAIN_READER_H_

#include <string>
#include <vector>

#include "bridge/imported_tap.h"
#include "bridge/script_access.h"

namespace kvr {

// Reads the TAPs that the script `text`, the file `file`, declares, from TDI to TDO (the reverse
// of the order OpenOCD's script declares them in). On failure returns false with where the
// script went wrong; a refused allocation throws std::bad_alloc, as Jim's C frames are left.
bool read_tcl_chain(const std::string& file, const std::string& text, const ScriptFiles& files,
                    const TclLimits& limits, std::vector<ImportedTap>& taps,
                    ImportFailure& failure);

}  // namespace kvr

#endif  // KVR_BRIDGE_TCL_CHAIN_READER_H_

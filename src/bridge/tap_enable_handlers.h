// The scan-path linkers an OpenOCD script switches through its TAPs' tap-enable handlers, as
// `kvrview --openocd' writes them: the handler of a sub-path's device selects its sub-path by
//   irscan LINKER 0x02        the linker's SELECT instruction
//   drscan LINKER 3 K         sub-path K, 0 to 3, in its 3-bit data register
// After the script, in the same interpreter and under the same limits, each TAP's tap-enable
// handler is evaluated as `jtag tapenable' runs it, with irscan and drscan recording their scans
// and jtag tapenable, tapdisable and tapisenabled switching and answering from the TAPs as
// declared (bridge/openocd_commands.h). First every TAP declared enabled that has a tap-disable
// handler is disabled through it, since a handler finds a sub-path already selected and does no
// scan; then, in the order declared, each TAP with a tap-enable handler is marked disabled, its
// handler evaluated, and the TAP disabled again through its tap-disable handler.
//
// A handler whose scans are exactly those two, of a TAP of the chain with an IR of 8 bits (a
// scan-path linker's) that is enabled and is not the TAP itself, makes that TAP a linker and the
// TAP a device of its sub-path K, when it stands in the run of such devices right after the
// linker, towards TDO (a linker is then no sub-path's device). Any other handler leaves its TAP as
// it is, enabled or left out as declared, with a note that says why.
#ifndef KVR_BRIDGE_TAP_ENABLE_HANDLERS_H_
#define KVR_BRIDGE_TAP_ENABLE_HANDLERS_H_

#include "bridge/openocd_commands.h"

namespace kvr {

// Evaluates the handlers of `script`, whose own evaluation succeeded, and marks its TAPs.
void select_sub_paths(OpenocdScript& script);

}  // namespace kvr

#endif  // KVR_BRIDGE_TAP_ENABLE_HANDLERS_H_

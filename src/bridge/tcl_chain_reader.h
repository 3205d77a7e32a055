// The chain an OpenOCD script declares, read by evaluating the script as OpenOCD would: in an
// embedded Jim Tcl interpreter (OpenOCD's own Tcl), sandboxed, whose OpenOCD commands record the
// TAPs (bridge/openocd_commands.h). The evaluation runs here, in this process, with the limits the
// interpreter itself keeps; an import runs it in a child process instead (bridge/tcl_child.h). A
// build without Jim Tcl reads no script and says so.
//
// The script's top level ends as OpenOCD's does: the chain when it ends without an error, an error
// otherwise, `break', `continue' and other codes of `return' included.
#ifndef KVR_BRIDGE_TCL_CHAIN_READER_H_
#define KVR_BRIDGE_TCL_CHAIN_READER_H_

#include <string>
#include <vector>

#include "bridge/evaluation_record.h"
#include "bridge/imported_tap.h"
#include "bridge/script_access.h"

namespace kvr {

// Evaluates the scripts one after the other in one interpreter, in their order, as `openocd -f A
// -f B' sources its files, and gives the TAPs they declare, from TDI to TDO (the reverse of the
// order OpenOCD's scripts declare them in: the first TAP of A is the one nearest TDO), or where
// the first that fails went wrong, the ones after it left unevaluated; with the files they found
// and sourced either way. The evaluation records its place in `place` when one is given. A
// refused allocation throws std::bad_alloc, as Jim's C frames are left.
ScriptEvaluation evaluate_tcl_scripts(const std::vector<NamedScript>& scripts,
                                      const ScriptFiles& files, const TclLimits& limits,
                                      ScriptPlace* place = nullptr);

// The same, for the one script `text`, the file `file`.
ScriptEvaluation evaluate_tcl_script(const std::string& file, const std::string& text,
                                     const ScriptFiles& files, const TclLimits& limits,
                                     ScriptPlace* place = nullptr);

// The same, for the TAPs alone: false with where the script went wrong in `failure`.
bool read_tcl_chain(const std::string& file, const std::string& text, const ScriptFiles& files,
                    const TclLimits& limits, std::vector<ImportedTap>& taps,
                    ImportFailure& failure);

}  // namespace kvr

#endif  // KVR_BRIDGE_TCL_CHAIN_READER_H_

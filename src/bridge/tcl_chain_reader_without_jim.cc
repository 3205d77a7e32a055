// The Tcl reader of a build without Jim Tcl: it says what this build can read instead.
#include "bridge/tcl_chain_reader.h"

namespace kvr {

bool read_tcl_chain(const std::string& file, const std::string& text, const ScriptFiles&,
                    const TclLimits&, std::vector<ImportedTap>&, ImportFailure& failure) {
  failure = failure_on_line(file, text, 1,
                            "an OpenOCD script, which this kvrview, built without Jim Tcl, cannot "
                            "read: it reads only OpenOCD's scan_chain tables and BSDL files");
  return false;
}

}  // namespace kvr

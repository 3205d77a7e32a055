// The Tcl reader of a build without Jim Tcl (every Windows build among them): it says what this
// build can read instead.
#include "bridge/tcl_chain_reader.h"
#include "bridge/tcl_child.h"

namespace kvr {

ScriptEvaluation evaluate_tcl_script(const std::string& file, const std::string& text,
                                     const ScriptFiles&, const TclLimits&, ScriptPlace*) {
  ScriptEvaluation evaluation;
  evaluation.failure =
      failure_on_line(file, text, 1,
                      "an OpenOCD script, which this kvrview, built without Jim Tcl, cannot "
                      "read: it reads only OpenOCD's scan_chain tables and BSDL files");
  return evaluation;
}

ScriptEvaluation evaluate_tcl_scripts(const std::vector<NamedScript>& scripts,
                                      const ScriptFiles& files, const TclLimits& limits,
                                      ScriptPlace* place) {
  if (scripts.empty()) return {};
  return evaluate_tcl_script(scripts.front().file, scripts.front().text, files, limits, place);
}

ScriptEvaluation evaluate_tcl_scripts_apart(const std::vector<NamedScript>& scripts,
                                            const ScriptFiles& files, const TclLimits& limits) {
  return evaluate_tcl_scripts(scripts, files, limits);
}

bool read_tcl_chain(const std::string& file, const std::string& text, const ScriptFiles& files,
                    const TclLimits& limits, std::vector<ImportedTap>&, ImportFailure& failure) {
  failure = evaluate_tcl_script(file, text, files, limits).failure;
  return false;
}

}  // namespace kvr

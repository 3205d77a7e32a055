#include "bridge/tcl_chain_reader.h"

#include <algorithm>
#include <memory>
#include <new>

#include "bridge/openocd_commands.h"
#include "bridge/tcl_sandbox.h"

namespace kvr {
namespace {

// Where Jim says the evaluation failed: the file and line of the command at fault. A command made
// up by the script (as `eval' runs one) may have no place of its own in a file we read; then the
// innermost call of Jim's stack trace (triples of procedure, file and line) that has one stands
// for it, and failing that the script's first line.
ImportFailure jim_failure(const OpenocdScript& script, const std::string& top) {
  Jim_Interp* interp = script.sandbox->interp;
  if (script.placed) return *script.placed;
  const std::string message = Jim_String(Jim_GetResult(interp));
  std::string file = top;
  jim_wide line = 1;
  const auto known = [&](Jim_Obj* name) {
    return name != nullptr && script.texts.count(Jim_String(name)) == 1;
  };
  if (known(interp->errorFileNameObj)) {
    file = Jim_String(interp->errorFileNameObj);
    line = interp->errorLine;
  } else if (interp->stackTrace != nullptr) {
    const int length = Jim_ListLength(interp, interp->stackTrace);
    for (int i = 0; i + 2 < length; i += 3) {
      Jim_Obj* called_in = Jim_ListGetIndex(interp, interp->stackTrace, i + 1);
      if (!known(called_in)) continue;
      file = Jim_String(called_in);
      Jim_GetWide(interp, Jim_ListGetIndex(interp, interp->stackTrace, i + 2), &line);
      break;
    }
  }
  const std::string& text = script.texts.at(file);
  const auto last = static_cast<jim_wide>(1 + std::count(text.begin(), text.end(), '\n'));
  return failure_on_line(file, text,
                         static_cast<std::uint32_t>(std::clamp<jim_wide>(line, 1, last)), message);
}

}  // namespace

bool read_tcl_chain(const std::string& file, const std::string& text, const ScriptFiles& files,
                    const TclLimits& limits, std::vector<ImportedTap>& taps,
                    ImportFailure& failure) {
  TclSandbox sandbox;
  open_sandbox(sandbox, limits);
  // The interpreter goes with this function, however it is left.
  const std::unique_ptr<TclSandbox, void (*)(TclSandbox*)> closer(
      &sandbox, [](TclSandbox* opened) { close_sandbox(*opened); });
  OpenocdScript script;
  script.sandbox = &sandbox;
  script.files = &files;
  add_openocd_commands(script);
  const int code = evaluate_file(script, file, text);
  if (sandbox.out_of_memory) throw std::bad_alloc();
  if (code == JIM_ERR || code == JIM_SIGNAL) {
    failure = jim_failure(script, file);
    return false;
  }
  if (script.taps.empty()) {
    failure = failure_on_line(file, text, 1,
                              "the script declares no TAP (with jtag newtap or swj_newdap)");
    return false;
  }
  taps.assign(script.taps.rbegin(), script.taps.rend());
  return true;
}

}  // namespace kvr

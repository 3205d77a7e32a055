#include "bridge/tcl_chain_reader.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "bridge/openocd_commands.h"
#include "bridge/tap_enable_handlers.h"
#include "bridge/tcl_sandbox.h"

namespace kvr {
namespace {

ImportFailure failure_in(const TclSandbox& sandbox, const std::string& file, jim_wide line,
                         const std::string& message) {
  const std::string& text = sandbox.texts.at(file);
  const auto last = static_cast<jim_wide>(1 + std::count(text.begin(), text.end(), '\n'));
  return failure_on_line(file, text,
                         static_cast<std::uint32_t>(std::clamp<jim_wide>(line, 1, last)), message);
}

// A failure at the command the evaluation last ran in a file it read, else at the top file's
// first line.
ImportFailure failure_at_place(const TclSandbox& sandbox, const std::string& top,
                               const std::string& message) {
  const ScriptPlace& place = *sandbox.place;
  const std::string name(place.name, place.name_length);
  if (place.line == 0 || sandbox.texts.count(name) == 0)
    return failure_in(sandbox, top, 1, message);
  return failure_in(sandbox, name, place.line, message);
}

// Where Jim says the evaluation failed: the file and line of the command at fault. A command made
// up by the script (as `eval' runs one) may have no place of its own in a file we read; then the
// innermost call of Jim's stack trace (triples of procedure, file and line) that has one stands
// for it, and failing that the last command the evaluation ran in a file it read.
ImportFailure jim_failure(const OpenocdScript& script, const std::string& top) {
  const TclSandbox& sandbox = *script.sandbox;
  Jim_Interp* interp = sandbox.interp;
  if (script.placed) return *script.placed;
  const std::string message = Jim_String(Jim_GetResult(interp));
  const auto known = [&](Jim_Obj* name) {
    return name != nullptr && sandbox.texts.count(Jim_String(name)) == 1;
  };
  if (known(interp->errorFileNameObj)) {
    return failure_in(sandbox, Jim_String(interp->errorFileNameObj), interp->errorLine, message);
  }
  const int length = interp->stackTrace != nullptr ? Jim_ListLength(interp, interp->stackTrace) : 0;
  for (int i = 0; i + 2 < length; i += 3) {
    Jim_Obj* called_in = Jim_ListGetIndex(interp, interp->stackTrace, i + 1);
    if (!known(called_in)) continue;
    jim_wide line = 1;
    Jim_GetWide(interp, Jim_ListGetIndex(interp, interp->stackTrace, i + 2), &line);
    return failure_in(sandbox, Jim_String(called_in), line, message);
  }
  return failure_at_place(sandbox, top, message);
}

// How the top level ended, when not with the chain: as OpenOCD, whose `script' command sources
// the file, takes every code but OK.
ImportFailure top_failure(const OpenocdScript& script, const std::string& top, int code) {
  if (code == JIM_ERR) return jim_failure(script, top);
  const TclSandbox& sandbox = *script.sandbox;
  if (code == JIM_BREAK || code == JIM_CONTINUE) {
    return failure_at_place(sandbox, top,
                            std::string(code == JIM_BREAK ? "`break'" : "`continue'") +
                                " outside a loop ends the script, which OpenOCD takes as an error");
  }
  const std::string result = Jim_String(Jim_GetResult(sandbox.interp));
  return failure_at_place(sandbox, top,
                          "the script ends with the return code " + std::to_string(code) +
                              ", which OpenOCD takes as an error" +
                              (result.empty() ? "" : ": " + result));
}

}  // namespace

ScriptEvaluation evaluate_tcl_scripts(const std::vector<NamedScript>& scripts,
                                      const ScriptFiles& files, const TclLimits& limits,
                                      ScriptPlace* place) {
  TclSandbox sandbox;
  open_sandbox(sandbox, limits, place);
  // The interpreter goes with this function, however it is left.
  const std::unique_ptr<TclSandbox, void (*)(TclSandbox*)> closer(
      &sandbox, [](TclSandbox* opened) { close_sandbox(*opened); });
  OpenocdScript script;
  script.sandbox = &sandbox;
  script.files = &files;
  add_openocd_commands(script);
  int code = JIM_OK;
  std::size_t next = 0;
  while (code == JIM_OK && next < scripts.size()) {
    code = evaluate_file(script, scripts[next].file, scripts[next].text);
    ++next;
  }
  if (code == JIM_OK) select_sub_paths(script);
  if (sandbox.out_of_memory) throw std::bad_alloc();
  ScriptEvaluation evaluation;
  evaluation.files_read = script.files_read;
  if (scripts.empty()) return evaluation;
  if (code != JIM_OK) {
    evaluation.failure = top_failure(script, scripts[next - 1].file, code);
  } else if (script.taps.empty()) {
    evaluation.failure = failure_on_line(
        scripts[0].file, scripts[0].text, 1,
        scripts.size() == 1 ? "the script declares no TAP (with jtag newtap or swj_newdap)"
                            : "none of the " + std::to_string(scripts.size()) +
                                  " scripts declares a TAP (with jtag newtap or swj_newdap)");
  } else {
    evaluation.read = true;
    evaluation.taps.assign(script.taps.rbegin(), script.taps.rend());
  }
  return evaluation;
}

ScriptEvaluation evaluate_tcl_script(const std::string& file, const std::string& text,
                                     const ScriptFiles& files, const TclLimits& limits,
                                     ScriptPlace* place) {
  return evaluate_tcl_scripts({NamedScript{file, text}}, files, limits, place);
}

bool read_tcl_chain(const std::string& file, const std::string& text, const ScriptFiles& files,
                    const TclLimits& limits, std::vector<ImportedTap>& taps,
                    ImportFailure& failure) {
  ScriptEvaluation evaluation = evaluate_tcl_script(file, text, files, limits);
  if (!evaluation.read) {
    failure = std::move(evaluation.failure);
    return false;
  }
  taps = std::move(evaluation.taps);
  return true;
}

}  // namespace kvr

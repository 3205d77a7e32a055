// The OpenOCD commands of an imported script, in a sandboxed Jim interpreter: those that declare
// TAPs record them, those whose answers scripts test answer as OpenOCD does with a JTAG adapter,
// and every other command, OpenOCD's or not, does nothing and returns an empty result.
//   jtag newtap CHIP TAP -irlen N ...   a TAP (-irmask, -ircapture, -expected-id, -enable,
//                                       -disable, -ignore-version, -ignore-bypass are known)
//   swj_newdap CHIP TAP ...             the same, as OpenOCD's swj-dp.tcl defines it for JTAG
//   jtag names, jtag tapisenabled       the TAPs declared so far
//   transport select, transport list    jtag; using_jtag is 1, using_swd and using_hla are 0
//   target names, target current        the targets created so far
//   find FILE                           FILE in the first folder that holds it
//   source FILE                         FILE evaluated, when it lies in one of the folders (a
//                                       relative FILE is looked for as find does)
//   shutdown, exit                      stop the script with an error, as OpenOCD stops before
//                                       its init
// The folders are the only place a script can read from, and which file a name leads to is
// decided in one place (bridge/script_policy.h). A file is evaluated as Jim's own `source'
// evaluates it, the top one too, as OpenOCD sources it: a `return' ends that file alone (and
// `return -code error' is an error), while `break' and `continue' outside a loop end the file that
// runs them and the one that sourced it, up to the top.
#ifndef KVR_BRIDGE_OPENOCD_COMMANDS_H_
#define KVR_BRIDGE_OPENOCD_COMMANDS_H_

#include <optional>
#include <string>
#include <vector>

#include "bridge/imported_tap.h"
#include "bridge/script_access.h"
#include "bridge/tcl_sandbox.h"

namespace kvr {

struct OpenocdScript {
  TclSandbox* sandbox = nullptr;
  const ScriptFiles* files = nullptr;
  std::vector<ImportedTap> taps;  // in the order declared: the first is the one nearest TDO
  std::vector<std::string> targets;
  std::vector<std::string> files_read;  // every file find found or source read: real paths
  int depth = 0;                        // files being evaluated, one inside the other
  std::optional<ImportFailure> placed;  // a failure whose place Jim cannot tell
};

inline TclSandbox& sandbox_of(OpenocdScript& script) {
  return *script.sandbox;
}

// Adds the commands to the sandbox's interpreter, each working on `script`.
void add_openocd_commands(OpenocdScript& script);

// Evaluates `text` as the file `name`, as `source' does; returns Jim's code.
int evaluate_file(OpenocdScript& script, const std::string& name, const std::string& text);

}  // namespace kvr

#endif  // KVR_BRIDGE_OPENOCD_COMMANDS_H_

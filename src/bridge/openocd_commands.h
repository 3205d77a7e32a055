// The OpenOCD commands of an imported script, in a sandboxed Jim interpreter: those that declare
// TAPs record them, those whose answers scripts test answer as OpenOCD does with a JTAG adapter,
// and every other command, OpenOCD's or not, does nothing and returns an empty result.
//   jtag newtap CHIP TAP -irlen N ...   a TAP (-irmask, -ircapture, -expected-id, -enable,
//                                       -disable, -ignore-version, -ignore-bypass are known)
//   swj_newdap CHIP TAP ...             the same, as OpenOCD's swj-dp.tcl defines it for JTAG
//   jtag names, jtag tapisenabled       the TAPs declared so far
//   jtag configure TAP -event E BODY    records the handler BODY of event E of TAP (only those of
//                                       tap-enable and tap-disable are kept); without BODY,
//                                       answers it
//   jtag tapenable, jtag tapdisable     nothing while the script runs (OpenOCD switches no TAP
//   irscan, drscan                      before its init); while the tap-enable handlers run after
//                                       it (bridge/tap_enable_handlers.h), they switch the TAPs
//                                       and record the scans
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

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "bridge/imported_tap.h"
#include "bridge/script_access.h"
#include "bridge/tcl_sandbox.h"

namespace kvr {

// A TAP's event handlers, and its state while they run.
struct TapEvents {
  std::optional<std::string> enable, disable;  // the bodies of tap-enable and tap-disable
  bool on = false;                             // enabled now: as declared, then as switched
  bool running = false;                        // one of its handlers is being evaluated
};

// One irscan or drscan of a handler, when it has the plain form `irscan TAP VALUE' or `drscan TAP
// BITS VALUE', each number one Jim reads; `plain' is false for any other form.
struct RecordedScan {
  bool plain = false;
  bool instruction = false;  // irscan
  std::size_t tap = 0;       // its place among the TAPs declared
  jim_wide bits = 0;         // drscan's
  jim_wide value = 0;
};

// The scans recorded while a tap-enable handler runs: the first two, and how many there were.
struct ScanRecord {
  bool on = false;
  std::size_t count = 0;
  RecordedScan first[2];
};

struct OpenocdScript {
  TclSandbox* sandbox = nullptr;
  const ScriptFiles* files = nullptr;
  std::vector<ImportedTap> taps;  // in the order declared: the first is the one nearest TDO
  std::vector<std::string> targets;
  std::vector<std::string> files_read;  // every file find found or source read: real paths
  int depth = 0;                        // files being evaluated, one inside the other
  std::optional<ImportFailure> placed;  // a failure whose place Jim cannot tell
  std::vector<TapEvents> events;        // each TAP's, in the order of `taps'
  std::unordered_map<std::string, std::size_t> by_name;  // the first TAP of each full name
  bool switching = false;  // the tap-enable handlers are running, after the script
  int handler_depth = 0;   // handlers being evaluated, one inside the other
  ScanRecord scans;
};

inline TclSandbox& sandbox_of(OpenocdScript& script) {
  return *script.sandbox;
}

// Adds the commands to the sandbox's interpreter, each working on `script`.
void add_openocd_commands(OpenocdScript& script);

// Evaluates `text` as the file `name`, as `source' does; returns Jim's code.
int evaluate_file(OpenocdScript& script, const std::string& name, const std::string& text);

// `jtag tapenable' (`enable`) or `jtag tapdisable' of the TAP at `tap`, as OpenOCD runs it: a TAP
// already so, or without that handler, stays as it is; otherwise its handler is evaluated, and
// the TAP switched when it succeeds. Returns Jim's code, with the error as the interpreter's
// result; a TAP whose handler is running, or handlers nested more than 64 deep, are an error.
int switch_tap(OpenocdScript& script, std::size_t tap, bool enable);

}  // namespace kvr

#endif  // KVR_BRIDGE_OPENOCD_COMMANDS_H_

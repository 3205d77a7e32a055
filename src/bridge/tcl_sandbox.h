// A Jim Tcl interpreter that evaluates a script from another tool and nothing more. It holds Jim's
// core commands (variables, procs, lists, dicts, strings, expressions, control flow) and the
// regexp and array commands, but none that reaches outside the process: no files, sockets,
// processes, clock or environment. Of the core commands, `source', `puts', `env' and `exit' are
// replaced by the caller's or by ones that touch nothing; `time', `loop' and `xtrace' are gone.
//
// A script may be hostile, so its evaluation is bounded: every command it runs and every turn of
// `while' and `for' (which are ours, so that even an empty body counts) is a step, taken by a
// command that Jim calls before every command. No script can replace or remove it: `proc',
// `rename', `alias' and `local' refuse every command name that holds the byte 1, as its name does,
// and Jim looks it up under no other (`::' before a name and a namespace both end in such a name).
// Past the step limit, or once the heap has grown by more than the memory limit, or the processor
// time is spent, the script stops with an error at the command it was about to run. The heap is
// measured where the C library or the sanitizer tells its size (glibc, AddressSanitizer). A
// command whose text arguments add up past the memory limit does not run, and `string repeat' and
// `string map' (under every abbreviation Jim takes), `lrepeat', `range', `join', `split',
// `format' and `regsub', whose results can be far larger than their arguments, refuse results
// past the memory limit before they build them. What these checks cannot see, one command that
// runs or allocates without end inside Jim, the child process that evaluates an import ends
// (bridge/tcl_child.h), with limits of the system that no script reaches.
//
// The step command also records where the evaluation stands (ScriptPlace), for the errors that
// Jim gives no place of its own.
#ifndef KVR_BRIDGE_TCL_SANDBOX_H_
#define KVR_BRIDGE_TCL_SANDBOX_H_

#include <jim.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <map>
#include <new>
#include <string>
#include <utility>

#include "bridge/script_access.h"

namespace kvr {

struct TclSandbox;

// A native command behind a guard: one that first works out how large its result may be, or one
// that names commands and refuses the step command's name.
struct GuardedCommand {
  TclSandbox* sandbox = nullptr;
  std::size_t row = 0;  // in its table of guards
  Jim_CmdProc* native = nullptr;
};
inline constexpr std::size_t kSizeGuards = 7;
inline constexpr std::size_t kNameGuards = 4;

struct TclSandbox {
  Jim_Interp* interp = nullptr;
  TclLimits limits;
  std::uint64_t steps = 0;
  std::size_t heap_at_start = 0;
  std::clock_t clock_at_start = 0;
  bool out_of_memory = false;  // one of our commands was refused memory
  std::array<GuardedCommand, kSizeGuards> sized;
  std::array<GuardedCommand, kNameGuards> naming;
  std::map<std::string, std::string> texts;  // every file evaluated, by the name Jim knows it by
  ScriptPlace* place = nullptr;              // where the evaluation stands
  ScriptPlace own_place;                     // the place when the caller gives none
  Jim_Obj* place_file = nullptr;             // the file name Jim gave the last command, held
  bool place_file_known = false;             // whether that is a file in `texts'
};

// Creates the interpreter in `sandbox`, recording its place in `place` (in the sandbox itself
// when null); `open_sandbox' and `close_sandbox' pair like new and delete.
void open_sandbox(TclSandbox& sandbox, const TclLimits& limits, ScriptPlace* place = nullptr);
void close_sandbox(TclSandbox& sandbox);

// Counts `steps' steps of the script. False, with the error as the interpreter's result, past a
// limit.
bool take_step(TclSandbox& sandbox, std::uint64_t steps = 1);

// Commands by name, each given `data` as what Jim_CmdPrivData returns to it.
using TclCommand = std::pair<const char*, Jim_CmdProc*>;
template <std::size_t N>
void add_commands(Jim_Interp* interp, const TclCommand (&commands)[N], void* data) {
  for (const auto& [name, procedure] : commands) {
    Jim_CreateCommand(interp, name, procedure, data, nullptr);
  }
}

inline TclSandbox& sandbox_of(TclSandbox& sandbox) {
  return sandbox;
}
inline TclSandbox& sandbox_of(GuardedCommand& command) {
  return *command.sandbox;
}

// A command of ours as Jim calls it, its data of type `Data`: a C++ exception must not cross
// Jim's C frames, so a refused allocation becomes a Tcl error and marks the sandbox.
template <typename Data, Jim_CmdProc* Procedure>
int shielded(Jim_Interp* interp, int argc, Jim_Obj* const* argv) noexcept {
  try {
    return Procedure(interp, argc, argv);
  } catch (const std::bad_alloc&) {
    sandbox_of(*static_cast<Data*>(Jim_CmdPrivData(interp))).out_of_memory = true;
  } catch (...) {
    Jim_SetResultString(interp, "an internal error", -1);
  }
  return JIM_ERR;
}

}  // namespace kvr

#endif  // KVR_BRIDGE_TCL_SANDBOX_H_

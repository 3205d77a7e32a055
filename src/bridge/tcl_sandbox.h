// A Jim Tcl interpreter that evaluates a script from another tool and nothing more. It holds Jim's
// core commands (variables, procs, lists, dicts, strings, expressions, control flow) and the
// regexp and array commands, but none that reaches outside the process: no files, sockets,
// processes, clock or environment. Of the core commands, `source', `puts', `env' and `exit' are
// replaced by the caller's or by ones that touch nothing; `time', `loop' and `xtrace' are gone.
//
// A script may be hostile, so its evaluation is bounded: every command it runs and every turn of
// `while' and `for' (which are ours, so that even an empty body counts) is a step, and past the
// step limit, or once the heap has grown by more than the memory limit, the script stops with an
// error at the command it was about to run. The heap is measured where the C library or the
// sanitizer tells its size (glibc, AddressSanitizer); elsewhere only the step limit holds. A
// command whose text arguments add up past the memory limit does not run, and `string repeat',
// `lrepeat', `range', `join' and `split', whose results can be far larger than their arguments,
// refuse results past the memory limit before they build them. A step of Jim's own commands may
// cost as much as its data is large, so the processor time is bounded as well: the one limit
// that depends on the machine, there only to end what the others cannot. Jim itself cannot survive
// an allocation that fails, and these limits keep it from one; what they do not see is the text of
// a list made of many references to one long text, which a script can still ask for.
#ifndef KVR_BRIDGE_TCL_SANDBOX_H_
#define KVR_BRIDGE_TCL_SANDBOX_H_

#include <jim.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <new>
#include <string>
#include <utility>

#include "bridge/script_access.h"

namespace kvr {

struct TclSandbox;

// A native command whose result can be far larger than its arguments, behind a guard that first
// works out how large the result may be.
struct GuardedCommand {
  TclSandbox* sandbox = nullptr;
  std::size_t row = 0;  // in the table of guards
  Jim_CmdProc* native = nullptr;
};
inline constexpr std::size_t kGuardedCommands = 5;

struct TclSandbox {
  Jim_Interp* interp = nullptr;
  TclLimits limits;
  std::uint64_t steps = 0;
  std::size_t heap_at_start = 0;
  std::clock_t clock_at_start = 0;
  bool out_of_memory = false;  // one of our commands was refused memory
  std::array<GuardedCommand, kGuardedCommands> guarded;
};

// Creates the interpreter in `sandbox`; `open_sandbox' and `close_sandbox' pair like new and
// delete.
void open_sandbox(TclSandbox& sandbox, const TclLimits& limits);
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

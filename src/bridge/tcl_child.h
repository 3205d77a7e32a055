// The evaluation of an imported OpenOCD script in a child process of its own (POSIX fork), with
// limits of the system that no script can reach, since they hold whatever Jim Tcl does inside one
// command:
// - its address space may grow by the memory limit (256 MiB) and kChildMemoryMargin over what it
//   holds at its start (setrlimit RLIMIT_AS), less the free heap it inherits from its parent
//   (at most the memory limit), which allocations take without growing the address space. Under
//   AddressSanitizer, whose shadow memory takes terabytes of address space, no such limit can hold:
//   there an allocation hook of the sanitizer's runtime ends the child once its heap passes the
//   same bound;
// - its processor time is the time limit (an interval timer, then RLIMIT_CPU a second later);
// - its parent kills it (SIGKILL) once it has run for limits.real_seconds of real time;
// - it holds no descriptor but the pipe of its result: it opens the files its script sources
//   itself, through the one policy of bridge/script_policy.h; it may write no file (RLIMIT_FSIZE
//   0), start no process (RLIMIT_NPROC 0) and leaves no core.
// The child sends its result (bridge/evaluation_record.h) and the parent alone writes output.
// When it ends otherwise the evaluation fails with what ended it, at the place of the command it
// was running (ScriptPlace, in memory the two share):
//   a failed allocation (Jim writes through the null pointer that malloc gave it, so that a fault
//   at one of the lowest addresses is one) or the address space spent: kTclMemoryMessage;
//   a fault next to the stack pointer, a stack overflow, which its handler sees on a stack of its
//   own: kTclStackMessage;
//   the timer, RLIMIT_CPU, or the parent's kill: kTclTimeMessage;
//   any other end: what it was, a signal or an exit status.
// Windows builds hold no Jim Tcl and evaluate no script at all.
#ifndef KVR_BRIDGE_TCL_CHILD_H_
#define KVR_BRIDGE_TCL_CHILD_H_

#include <cstddef>
#include <string>
#include <vector>

#include "bridge/evaluation_record.h"
#include "bridge/script_access.h"

namespace kvr {

// What the child's address space may hold beyond the memory limit: its stack, Jim's own tables,
// the record of its result.
inline constexpr std::size_t kChildMemoryMargin = std::size_t{64} << 20;  // 64 MiB

// evaluate_tcl_scripts (bridge/tcl_chain_reader.h) in a child process: the scripts one after the
// other in its one interpreter, within one set of limits. A refused allocation of this process
// throws std::bad_alloc, after the child is gone.
ScriptEvaluation evaluate_tcl_scripts_apart(const std::vector<NamedScript>& scripts,
                                            const ScriptFiles& files, const TclLimits& limits);

}  // namespace kvr

#endif  // KVR_BRIDGE_TCL_CHILD_H_

#include "bridge/tcl_sandbox.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define KVR_HEAP_FROM_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KVR_HEAP_FROM_SANITIZER 1
#endif
#endif
#if defined(KVR_HEAP_FROM_SANITIZER)
// The sanitizers' runtime (g++'s and clang's alike) holds the heap and tells its size.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
#include <malloc.h>
#endif

extern "C" {
int Jim_regexpInit(Jim_Interp* interp);
int Jim_arrayInit(Jim_Interp* interp);
}

namespace kvr {
namespace {

// The bytes the process's heap holds now; 0 where the system does not tell.
std::size_t heap_in_use() {
#if defined(KVR_HEAP_FROM_SANITIZER)
  return __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#else
  return 0;
#endif
}

TclSandbox& sandbox_in(Jim_Interp* interp) {
  return *static_cast<TclSandbox*>(Jim_CmdPrivData(interp));
}

Jim_Obj* name_object(Jim_Interp* interp, const char* name) {
  return Jim_NewStringObj(interp, name, -1);
}

Jim_CmdProc* native_command(Jim_Interp* interp, const char* name) {
  Jim_Obj* object = name_object(interp, name);
  Jim_IncrRefCount(object);
  const Jim_Cmd* command = Jim_GetCommand(interp, object, JIM_NONE);
  Jim_DecrRefCount(interp, object);
  return command != nullptr && command->isproc == 0 ? command->u.native.cmdProc : nullptr;
}

void delete_command(Jim_Interp* interp, const char* name) {
  Jim_Obj* object = name_object(interp, name);
  Jim_IncrRefCount(object);
  Jim_DeleteCommand(interp, object);
  Jim_DecrRefCount(interp, object);
}

// The traced step before every command the script runs. Its last argument lists the command's
// arguments: texts that together pass the memory limit would multiply it in one command (as
// `append x $x $x ...' does), so the command does not run. Arguments held as lists or numbers,
// whose text does not exist yet, are not counted: making their text would cost what this spares.
int step_command(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  TclSandbox& sandbox = sandbox_in(interp);
  if (!take_step(sandbox)) return JIM_ERR;
  std::size_t bytes = 0;
  const int count = argc > 1 ? Jim_ListLength(interp, argv[argc - 1]) : 0;
  for (int i = 0; i < count; ++i) {
    const Jim_Obj* argument = Jim_ListGetIndex(interp, argv[argc - 1], i);
    bytes += argument->bytes != nullptr ? static_cast<std::size_t>(argument->length) : 0;
  }
  if (bytes <= sandbox.limits.memory) return JIM_OK;
  Jim_SetResultString(interp, "the command's arguments pass the memory a script may use", -1);
  return JIM_ERR;
}

// A turn of a loop's body: break and continue end it as Tcl says; any other code but OK leaves
// the loop with it.
int loop_turn(Jim_Interp* interp, Jim_Obj* body, bool& done) {
  const int code = Jim_EvalObj(interp, body);
  done = code == JIM_BREAK;
  return code == JIM_BREAK || code == JIM_CONTINUE ? JIM_OK : code;
}

int loop_test(TclSandbox& sandbox, Jim_Obj* test, bool& done) {
  if (!take_step(sandbox)) return JIM_ERR;
  int truth = 0;
  const int code = Jim_GetBoolFromExpr(sandbox.interp, test, &truth);
  done = truth == 0;
  return code;
}

// while TEST BODY
int while_command(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  if (argc != 3) {
    Jim_WrongNumArgs(interp, 1, argv, "condition body");
    return JIM_ERR;
  }
  TclSandbox& sandbox = sandbox_in(interp);
  for (bool done = false;;) {
    if (int code = loop_test(sandbox, argv[1], done); code != JIM_OK || done) return code;
    if (int code = loop_turn(interp, argv[2], done); code != JIM_OK || done) return code;
  }
}

// for START TEST NEXT BODY
int for_command(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  if (argc != 5) {
    Jim_WrongNumArgs(interp, 1, argv, "start test next body");
    return JIM_ERR;
  }
  TclSandbox& sandbox = sandbox_in(interp);
  if (int code = Jim_EvalObj(interp, argv[1]); code != JIM_OK) return code;
  for (bool done = false;;) {
    if (int code = loop_test(sandbox, argv[2], done); code != JIM_OK || done) return code;
    if (int code = loop_turn(interp, argv[4], done); code != JIM_OK || done) return code;
    if (int code = Jim_EvalObj(interp, argv[3]); code != JIM_OK) return code;
  }
}

// The number in argv[index], or 0 when there is none (the native command then reports it).
double number_at(Jim_Interp* interp, int argc, Jim_Obj* const* argv, int index) {
  jim_wide number = 0;
  if (index >= argc || Jim_GetWide(interp, argv[index], &number) != JIM_OK) number = 0;
  Jim_SetEmptyResult(interp);
  return static_cast<double>(number);
}

double text_length(Jim_Obj* object) {
  int length = 0;
  Jim_GetString(object, &length);
  return length;
}

constexpr double kObjectBytes = sizeof(Jim_Obj) + sizeof(Jim_Obj*);

// How many bytes the result of each guarded command may take, from its arguments.
double repeat_bytes(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {  // string repeat S N
  const bool repeat = argc == 4 && std::strcmp(Jim_String(argv[1]), "repeat") == 0;
  return repeat ? text_length(argv[2]) * number_at(interp, argc, argv, 3) : 0;
}
double lrepeat_bytes(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {  // lrepeat N E...
  return number_at(interp, argc, argv, 1) * (argc - 2) * sizeof(Jim_Obj*);
}
double range_bytes(Jim_Interp* interp, int argc,
                   Jim_Obj* const* argv) {  // range ?START? END ?STEP?
  const double end = number_at(interp, argc, argv, argc >= 3 ? 2 : 1);
  const double start = argc >= 3 ? number_at(interp, argc, argv, 1) : 0;
  return (std::abs(end) + std::abs(start)) * kObjectBytes;
}
double join_bytes(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {  // join LIST ?SEPARATOR?
  if (argc < 2) return 0;
  const int count = Jim_ListLength(interp, argv[1]);
  double bytes = count * (argc > 2 ? text_length(argv[2]) : 1.0);
  for (int i = 0; i < count; ++i) {
    const Jim_Obj* element = Jim_ListGetIndex(interp, argv[1], i);
    bytes += element->bytes != nullptr ? element->length : kObjectBytes;
  }
  return bytes;
}
double split_bytes(Jim_Interp*, int argc, Jim_Obj* const* argv) {  // split TEXT ?CHARACTERS?
  return argc > 1 ? text_length(argv[1]) * kObjectBytes : 0;
}

// Which arguments of each guarded command are counts.
bool repeat_count(int argc, Jim_Obj* const* argv, int i) {
  return i == 3 && argc == 4 && std::strcmp(Jim_String(argv[1]), "repeat") == 0;
}
bool first_count(int, Jim_Obj* const*, int i) {
  return i == 1;
}
bool every_count(int, Jim_Obj* const*, int) {
  return true;
}
bool no_count(int, Jim_Obj* const*, int) {
  return false;
}

struct GuardRow {
  const char* name;
  bool (*is_count)(int argc, Jim_Obj* const* argv, int index);
  double (*result_bytes)(Jim_Interp*, int, Jim_Obj* const*);
};
constexpr GuardRow kGuards[kGuardedCommands] = {{"string", repeat_count, repeat_bytes},
                                                {"lrepeat", first_count, lrepeat_bytes},
                                                {"range", every_count, range_bytes},
                                                {"join", no_count, join_bytes},
                                                {"split", no_count, split_bytes}};

// Jim reads these counts as expressions, which may run commands: each is read once, here, and
// the native command gets its value.
int guarded_command(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  const GuardedCommand& command = *static_cast<GuardedCommand*>(Jim_CmdPrivData(interp));
  const GuardRow& row = kGuards[command.row];
  std::vector<Jim_Obj*> words(argv, argv + argc);
  int code = JIM_OK;
  for (int i = 1; i < argc && code == JIM_OK; ++i) {
    jim_wide count = 0;
    if (!row.is_count(argc, argv, i)) continue;
    code = Jim_GetWideExpr(interp, argv[i], &count);
    words[static_cast<std::size_t>(i)] = Jim_NewIntObj(interp, count);
    Jim_IncrRefCount(words[static_cast<std::size_t>(i)]);
  }
  if (code == JIM_OK && row.result_bytes(interp, argc, words.data()) >
                            static_cast<double>(command.sandbox->limits.memory)) {
    Jim_SetResultString(interp, "the result would pass the memory a script may use", -1);
    code = JIM_ERR;
  }
  if (code == JIM_OK) code = command.native(interp, argc, words.data());
  for (int i = 1; i < argc; ++i) {
    if (words[static_cast<std::size_t>(i)] != argv[i]) {
      Jim_DecrRefCount(interp, words[static_cast<std::size_t>(i)]);
    }
  }
  return code;
}

// Commands that write to standard output or end the process: they do nothing.
int quiet_command(Jim_Interp* interp, int, Jim_Obj* const*) {
  Jim_SetEmptyResult(interp);
  return JIM_OK;
}

// env NAME ?DEFAULT?: no variable of the environment is visible, so the default or an error.
int env_command(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  if (argc == 3) {
    Jim_SetResult(interp, argv[2]);
    return JIM_OK;
  }
  Jim_SetResultString(interp, "an imported script sees no environment variables", -1);
  return JIM_ERR;
}

}  // namespace

bool take_step(TclSandbox& sandbox, std::uint64_t steps) {
  constexpr std::uint64_t kClockEvery = 64;  // steps between two looks at the clock
  const bool look = sandbox.steps / kClockEvery != (sandbox.steps + steps) / kClockEvery;
  sandbox.steps += steps;
  if (sandbox.steps > sandbox.limits.steps) {
    char message[80];
    std::snprintf(message, sizeof message, "the script runs longer than %llu steps allow",
                  static_cast<unsigned long long>(sandbox.limits.steps));
    Jim_SetResultString(sandbox.interp, message, -1);
  } else if (look && static_cast<double>(std::clock() - sandbox.clock_at_start) >
                         sandbox.limits.seconds * CLOCKS_PER_SEC) {
    Jim_SetResultString(sandbox.interp, "the script runs longer than its time allows", -1);
  } else if (heap_in_use() > sandbox.heap_at_start + sandbox.limits.memory) {
    Jim_SetResultString(sandbox.interp, "the script uses more memory than it may", -1);
  } else {
    return true;
  }
  return false;
}

void open_sandbox(TclSandbox& sandbox, const TclLimits& limits) {
  sandbox.limits = limits;
  sandbox.heap_at_start = heap_in_use();
  sandbox.clock_at_start = std::clock();
  Jim_Interp* interp = sandbox.interp = Jim_CreateInterp();
  Jim_RegisterCoreCommands(interp);
  Jim_regexpInit(interp);
  Jim_arrayInit(interp);
  for (std::size_t row = 0; row < kGuardedCommands; ++row) {
    GuardedCommand& command = sandbox.guarded[row];
    command = {&sandbox, row, native_command(interp, kGuards[row].name)};
    Jim_CreateCommand(interp, kGuards[row].name, shielded<GuardedCommand, guarded_command>,
                      &command, nullptr);
  }
  for (const char* name : {"time", "loop", "xtrace", "source"}) delete_command(interp, name);
  const TclCommand commands[] = {
      {"while", shielded<TclSandbox, while_command>},
      {"for", shielded<TclSandbox, for_command>},
      {"puts", quiet_command},
      {"exit", quiet_command},
      {"env", env_command},
      {"\x01step", shielded<TclSandbox, step_command>},
  };
  add_commands(interp, commands, &sandbox);
  // Jim calls the trace command before every command it runs.
  interp->traceCmdObj = name_object(interp, "\x01step");
  Jim_IncrRefCount(interp->traceCmdObj);
}

void close_sandbox(TclSandbox& sandbox) {
  if (sandbox.interp != nullptr) Jim_FreeInterp(sandbox.interp);
  sandbox.interp = nullptr;
}

}  // namespace kvr

#include "bridge/tcl_sandbox.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string_view>
#include <vector>

#include "bridge/heap_in_use.h"

extern "C" {
int Jim_regexpInit(Jim_Interp* interp);
int Jim_arrayInit(Jim_Interp* interp);
}

namespace kvr {
namespace {

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

// The file name and line Jim gives the command about to run, when it lies in a file evaluated.
// A command made up by the script (as `eval' runs one) may have none: the place stays at the
// command that ran it.
void record_place(TclSandbox& sandbox, Jim_Obj* file, Jim_Obj* line) {
  if (file != sandbox.place_file) {
    Jim_IncrRefCount(file);  // held, so that its address names no other file later
    if (sandbox.place_file != nullptr) Jim_DecrRefCount(sandbox.interp, sandbox.place_file);
    sandbox.place_file = file;
    int length = 0;
    const char* name = Jim_GetString(file, &length);
    sandbox.place_file_known =
        sandbox.texts.count(std::string(name, static_cast<std::size_t>(length))) == 1;
    if (sandbox.place_file_known) {
      ScriptPlace& place = *sandbox.place;
      place.name_length =
          static_cast<std::uint32_t>(std::min(static_cast<std::size_t>(length), sizeof place.name));
      std::memcpy(place.name, name, place.name_length);
    }
  }
  jim_wide number = 0;
  if (sandbox.place_file_known && Jim_GetWide(sandbox.interp, line, &number) == JIM_OK) {
    sandbox.place->line = static_cast<std::uint32_t>(std::clamp<jim_wide>(number, 1, 0xFFFFFFFF));
  }
}

// The traced step before every command the script runs, called with the kind of call, the file
// name, the line, the result so far, the command's name and the list of its arguments. Texts
// among the arguments that together pass the memory limit would multiply it in one command (as
// `append x $x $x ...' does), so the command does not run. Arguments held as lists or numbers,
// whose text does not exist yet, are not counted: making their text would cost what this spares.
int step_command(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  TclSandbox& sandbox = sandbox_in(interp);
  if (argc == 7) record_place(sandbox, argv[2], argv[3]);
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

// The subcommands of `string', as Jim lists them; Jim takes any abbreviation that only one of
// them begins with, and so does the guard.
constexpr const char* kStringSubcommands[] = {
    "bytelength", "byterange", "cat",     "compare", "equal",    "first",     "index",   "is",
    "last",       "length",    "map",     "match",   "range",    "repeat",    "replace", "reverse",
    "tolower",    "totitle",   "toupper", "trim",    "trimleft", "trimright", nullptr};
constexpr int kStringMap = 10;
constexpr int kStringRepeat = 13;
static_assert(std::string_view(kStringSubcommands[kStringMap]) == "map");
static_assert(std::string_view(kStringSubcommands[kStringRepeat]) == "repeat");

int string_subcommand(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  int index = -1;
  if (argc < 2 || Jim_GetEnum(interp, argv[1], kStringSubcommands, &index, nullptr,
                              JIM_ENUM_ABBREV) != JIM_OK) {
    index = -1;
  }
  Jim_SetEmptyResult(interp);
  return index;
}

// string map ?-nocase? MAPPING TEXT: each character of TEXT kept, or a key's match replaced by
// its value.
double map_bytes(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  if (argc != 4 && argc != 5) return 0;
  Jim_Obj* mapping = argv[argc - 2];
  double longest = 1;
  const int count = Jim_ListLength(interp, mapping);
  for (int i = 1; i < count; i += 2) {
    longest = std::max(longest, text_length(Jim_ListGetIndex(interp, mapping, i)));
  }
  return text_length(argv[argc - 1]) * longest;
}

// How many bytes the result of each guarded command may take, from its arguments.
double string_bytes(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  const int sub = string_subcommand(interp, argc, argv);
  if (sub == kStringMap) return map_bytes(interp, argc, argv);
  // string repeat TEXT COUNT
  return sub == kStringRepeat && argc == 4 ? text_length(argv[2]) * number_at(interp, argc, argv, 3)
                                           : 0;
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

// format FORMAT ?ARG ...?: the text of the format and of every argument, and every width and
// precision written in the format or, given as `*', taken from an argument (any argument that is
// a number may be one).
double format_bytes(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  if (argc < 2) return 0;
  int length = 0;
  const char* format = Jim_GetString(argv[1], &length);
  double bytes = length, numbers = 0, stars = 0;
  for (int i = 0; i < length; ++i) {
    if (format[i] == '*') ++stars;
    if (format[i] < '0' || format[i] > '9') continue;
    double number = 0;
    for (; i < length && format[i] >= '0' && format[i] <= '9'; ++i) {
      number = number * 10 + (format[i] - '0');
    }
    numbers += number;
  }
  double largest = 0;
  for (int i = 2; i < argc; ++i) {
    bytes += text_length(argv[i]) + 32;  // a number's digits, at most
    jim_wide value = 0;
    if (stars > 0 && Jim_GetWide(interp, argv[i], &value) == JIM_OK) {
      largest = std::max(largest, std::abs(static_cast<double>(value)));
    }
  }
  Jim_SetEmptyResult(interp);
  return bytes + numbers + stars * largest;
}

// regsub ?SWITCHES? EXPRESSION TEXT REPLACEMENT ?VARIABLE?: at most one match at each position of
// TEXT and one after it, each replaced by REPLACEMENT whose `&' and `\N' each copy at most the
// whole TEXT.
double regsub_bytes(Jim_Interp*, int argc, Jim_Obj* const* argv) {
  int i = 1;
  for (; i < argc; ++i) {
    const std::string_view word = Jim_String(argv[i]);
    if (word == "--") {
      ++i;
      break;
    }
    if (word.empty() || word[0] != '-') break;
    if (word == "-start") ++i;
  }
  if (i + 2 >= argc) return 0;
  const double text = text_length(argv[i + 1]);
  return (text + 1) * (2 * text_length(argv[i + 2]) + 1);
}

// Which arguments of each guarded command are counts.
bool repeat_count(Jim_Interp* interp, int argc, Jim_Obj* const* argv, int i) {
  return i == 3 && argc == 4 && string_subcommand(interp, argc, argv) == kStringRepeat;
}
bool first_count(Jim_Interp*, int, Jim_Obj* const*, int i) {
  return i == 1;
}
bool every_count(Jim_Interp*, int, Jim_Obj* const*, int) {
  return true;
}
bool no_count(Jim_Interp*, int, Jim_Obj* const*, int) {
  return false;
}

struct SizeGuard {
  const char* name;
  bool (*is_count)(Jim_Interp* interp, int argc, Jim_Obj* const* argv, int index);
  double (*result_bytes)(Jim_Interp*, int, Jim_Obj* const*);
};
constexpr SizeGuard kSizeGuardRows[kSizeGuards] = {
    {"string", repeat_count, string_bytes}, {"lrepeat", first_count, lrepeat_bytes},
    {"range", every_count, range_bytes},    {"join", no_count, join_bytes},
    {"split", no_count, split_bytes},       {"format", no_count, format_bytes},
    {"regsub", no_count, regsub_bytes}};

// Jim reads these counts as expressions, which may run commands: each is read once, here, and
// the native command gets its value.
int sized_command(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  const GuardedCommand& command = *static_cast<GuardedCommand*>(Jim_CmdPrivData(interp));
  const SizeGuard& row = kSizeGuardRows[command.row];
  std::vector<Jim_Obj*> words(argv, argv + argc);
  int code = JIM_OK;
  for (int i = 1; i < argc && code == JIM_OK; ++i) {
    jim_wide count = 0;
    if (!row.is_count(interp, argc, argv, i)) continue;
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

// Whether `name` holds the byte 1, as the step command's name does: Jim finds a command under
// its name, under the name with `::' before it and under a namespace's name before it, and each
// of them holds that byte.
bool names_step(Jim_Obj* name) {
  int length = 0;
  const char* text = Jim_GetString(name, &length);
  return std::memchr(text, '\x01', static_cast<std::size_t>(length)) != nullptr;
}

// Which arguments of each command that makes, renames or removes commands are command names;
// `local' names its command in its result.
bool first_name(int i) {
  return i == 1;
}
bool first_two_names(int i) {
  return i == 1 || i == 2;
}
bool no_name(int) {
  return false;
}

struct NameGuard {
  const char* name;
  bool (*is_name)(int index);
  bool result_is_name;
};
constexpr NameGuard kNameGuardRows[kNameGuards] = {{"proc", first_name, false},
                                                   {"rename", first_two_names, false},
                                                   {"alias", first_name, false},
                                                   {"local", no_name, true}};

int refuse_step_name(Jim_Interp* interp) {
  Jim_SetResultString(
      interp, "a command name may not hold the byte 1, which names kvrview's step count", -1);
  return JIM_ERR;
}

int naming_command(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  const GuardedCommand& command = *static_cast<GuardedCommand*>(Jim_CmdPrivData(interp));
  const NameGuard& row = kNameGuardRows[command.row];
  for (int i = 1; i < argc; ++i) {
    if (row.is_name(i) && names_step(argv[i])) return refuse_step_name(interp);
  }
  const int code = command.native(interp, argc, argv);
  if (code != JIM_OK || !row.result_is_name || !names_step(Jim_GetResult(interp))) return code;
  // `local' has put the name on its frame's list of commands to remove when the frame ends.
  Jim_Stack* names = interp->framePtr->localCommands;
  if (names != nullptr && Jim_StackLen(names) > 0) {
    Jim_DecrRefCount(interp, static_cast<Jim_Obj*>(Jim_StackPop(names)));
  }
  return refuse_step_name(interp);
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
  // Steps between two looks at the clock and the heap, which cost more than a step may: the
  // heap's size is a walk over its free blocks.
  constexpr std::uint64_t kLookEvery = 64;
  const bool look = sandbox.steps / kLookEvery != (sandbox.steps + steps) / kLookEvery;
  sandbox.steps += steps;
  if (sandbox.steps > sandbox.limits.steps) {
    char message[80];
    std::snprintf(message, sizeof message, "the script runs longer than %llu steps allow",
                  static_cast<unsigned long long>(sandbox.limits.steps));
    Jim_SetResultString(sandbox.interp, message, -1);
  } else if (look && static_cast<double>(std::clock() - sandbox.clock_at_start) >
                         sandbox.limits.seconds * CLOCKS_PER_SEC) {
    Jim_SetResultString(sandbox.interp, kTclTimeMessage, -1);
  } else if (look && heap_in_use() > sandbox.heap_at_start + sandbox.limits.memory) {
    Jim_SetResultString(sandbox.interp, kTclMemoryMessage, -1);
  } else {
    return true;
  }
  return false;
}

void open_sandbox(TclSandbox& sandbox, const TclLimits& limits, ScriptPlace* place) {
  sandbox.limits = limits;
  sandbox.heap_at_start = heap_in_use();
  sandbox.clock_at_start = std::clock();
  sandbox.place = place != nullptr ? place : &sandbox.own_place;
  Jim_Interp* interp = sandbox.interp = Jim_CreateInterp();
  Jim_RegisterCoreCommands(interp);
  Jim_regexpInit(interp);
  Jim_arrayInit(interp);
  for (std::size_t row = 0; row < kSizeGuards; ++row) {
    GuardedCommand& command = sandbox.sized[row];
    command = {&sandbox, row, native_command(interp, kSizeGuardRows[row].name)};
    Jim_CreateCommand(interp, kSizeGuardRows[row].name, shielded<GuardedCommand, sized_command>,
                      &command, nullptr);
  }
  for (std::size_t row = 0; row < kNameGuards; ++row) {
    GuardedCommand& command = sandbox.naming[row];
    command = {&sandbox, row, native_command(interp, kNameGuardRows[row].name)};
    Jim_CreateCommand(interp, kNameGuardRows[row].name, shielded<GuardedCommand, naming_command>,
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
  if (sandbox.interp == nullptr) return;
  if (sandbox.place_file != nullptr) Jim_DecrRefCount(sandbox.interp, sandbox.place_file);
  Jim_FreeInterp(sandbox.interp);
  sandbox.interp = nullptr;
  sandbox.place_file = nullptr;
}

}  // namespace kvr

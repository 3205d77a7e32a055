// What an imported OpenOCD script may reach: the files of its folders, through one policy
// (bridge/script_policy.h) over functions that tests replace, and a bounded amount of work, memory
// and time.
#ifndef KVR_BRIDGE_SCRIPT_ACCESS_H_
#define KVR_BRIDGE_SCRIPT_ACCESS_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kvr {

// The most bytes a file that an import reads may hold, a script or one it sources: Jim Tcl takes
// some thirty times a script's size to evaluate it, so that a larger one could never be evaluated
// within the memory a script may use.
inline constexpr std::uint64_t kLargestImportedFile = std::uint64_t{64} << 20;  // 64 MiB

// A script named for evaluation: its name as the user gave it, and its text.
struct NamedScript {
  std::string file;
  std::string text;
};

struct ScriptFiles {
  std::vector<std::string> folders;  // where find and source look, in this order, as real paths
  // Reads the regular file at the real path `path` whole, at most kLargestImportedFile bytes; false
  // with the reason in `text` (empty when there is none to tell).
  std::function<bool(const std::string& path, std::string& text)> read;
  // Whether a regular file stands at the real path `path`.
  std::function<bool(const std::string& path)> exists;
  // The absolute `path` with every link followed and "." and ".." gone, or empty when nothing
  // exists there. Without it a path is taken as written, made plain (files held in memory).
  std::function<std::string(const std::string& path)> real_path;
};

struct TclLimits {
  // Commands run and loop turns: OpenOCD's own target scripts take under a thousand. Each byte of
  // the script and of the files it sources adds `steps_a_byte', so that a long list of TAPs, as
  // kvrview --openocd writes for a large board, is always read.
  std::uint64_t steps = 1'000'000;
  std::uint64_t steps_a_byte = 4;
  std::size_t memory = std::size_t{256} << 20;  // bytes the evaluation may add to what it holds
  double seconds = 10;                          // of processor time
  double real_seconds = 30;  // of real time, after which the child evaluating the script is killed
};

// What a script that passes a limit is told, with the place of the command it was running.
inline constexpr char kTclTimeMessage[] = "the script runs longer than its time allows";
inline constexpr char kTclMemoryMessage[] = "the script uses more memory than it may";
inline constexpr char kTclStackMessage[] =
    "the script nests deeper than the stack of its evaluation allows";

// Where an evaluation stands: the file and line of the command it runs, or last ran, of a file it
// evaluated. A record of fixed size, so that it can lie in memory that a child process shares with
// its parent, which reads it when the child ends without its result.
struct ScriptPlace {
  std::uint32_t line = 0;  // 0 before the first command
  std::uint32_t name_length = 0;
  char name[4096] = {};  // the file's name as Jim knows it, cut to this size
};

}  // namespace kvr

#endif  // KVR_BRIDGE_SCRIPT_ACCESS_H_

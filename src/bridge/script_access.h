// What an imported OpenOCD script may reach: the files of its search folders, through functions
// that tests replace, and a bounded amount of work and memory.
#ifndef KVR_BRIDGE_SCRIPT_ACCESS_H_
#define KVR_BRIDGE_SCRIPT_ACCESS_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kvr {

struct ScriptFiles {
  std::vector<std::string> folders;  // where find and source look, in this order
  std::function<bool(const std::string& path, std::string& text)> read;
  std::function<bool(const std::string& path)> exists;
};

struct TclLimits {
  // Commands run and loop turns: OpenOCD's own target scripts take under a thousand. Each byte of
  // the script and of the files it sources adds `steps_a_byte', so that a long list of TAPs, as
  // kvrview --openocd writes for a large board, is always read.
  std::uint64_t steps = 1'000'000;
  std::uint64_t steps_a_byte = 4;
  std::size_t memory = std::size_t{256} << 20;  // bytes of heap the evaluation may add
  double seconds = 10;                          // of processor time
};

}  // namespace kvr

#endif  // KVR_BRIDGE_SCRIPT_ACCESS_H_

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
  std::uint64_t steps = 2'000'000;              // commands run and loop turns
  std::size_t memory = std::size_t{256} << 20;  // bytes of heap the evaluation may add
};

}  // namespace kvr

#endif  // KVR_BRIDGE_SCRIPT_ACCESS_H_

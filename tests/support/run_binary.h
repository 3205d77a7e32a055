// Runs the built kvrbuild program in a folder and collects what it wrote and its exit status.
#ifndef KVR_TESTS_SUPPORT_RUN_BINARY_H_
#define KVR_TESTS_SUPPORT_RUN_BINARY_H_

#include <string>
#include <vector>

namespace kvr::testing {

struct RunResult {
  int exit_status = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs the program with `arguments` (the program's name is added as word 0) in `folder`.
RunResult run_kvrbuild(const std::vector<std::string>& arguments, const std::string& folder);

}  // namespace kvr::testing

#endif  // KVR_TESTS_SUPPORT_RUN_BINARY_H_

// What the kvrview tests share: whole runs of kvrview in this process, and the random boards.
#ifndef KVR_TESTS_VIEW_VIEW_SUPPORT_H_
#define KVR_TESTS_VIEW_VIEW_SUPPORT_H_

#include <string>
#include <vector>

#include "support/board_generator.h"
#include "support/harness.h"
#include "view/view_program.h"

namespace kvr::testing {

inline RunResult run_kvrview(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv = {"kvrview"};
  for (const std::string& word : arguments) argv.push_back(word.c_str());
  UniqueFile out = stream_with(""), err = stream_with("");
  RunResult result;
  result.exit_status = run_view(static_cast<int>(argv.size()), argv.data(), out.get(), err.get());
  result.out = contents_of(out.get());
  result.err = contents_of(err.get());
  return result;
}

}  // namespace kvr::testing

#endif  // KVR_TESTS_VIEW_VIEW_SUPPORT_H_

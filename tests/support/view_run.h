// kvrview run in this process, as run_main runs a program, with its name put first.
#ifndef KVR_TESTS_SUPPORT_VIEW_RUN_H_
#define KVR_TESTS_SUPPORT_VIEW_RUN_H_

#include "support/harness.h"
#include "view/view_program.h"

namespace kvr::testing {

inline RunResult kvrview(std::vector<std::string> words, std::size_t allowed = ~std::size_t{0}) {
  words.insert(words.begin(), "kvrview");
  return run_main(run_view, words, allowed);
}

// Whether this kvrview reads OpenOCD scripts: a build without Jim Tcl says that it reads none.
inline bool reads_tcl() {
  return kvrview({"--import", KVR_SOURCE_DIR "/examples/board.cfg"}).err.find("without Jim Tcl") ==
         std::string::npos;
}

// Whether this process runs under valgrind, which keeps the heap's size from the memory limit of
// imported scripts and holds the address space and the stack of the child that evaluates them.
inline bool under_valgrind() {
  const char* preload = std::getenv("LD_PRELOAD");
  return preload != nullptr && std::string(preload).find("vgpreload") != std::string::npos;
}

}  // namespace kvr::testing

#endif  // KVR_TESTS_SUPPORT_VIEW_RUN_H_

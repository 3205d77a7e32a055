// One run of the program: the library version check, the command line, redirection, help and
// information, the extra options, the operating-system report and the command, in that order.
#ifndef KVR_FRONTEND_RUN_SEQUENCE_H_
#define KVR_FRONTEND_RUN_SEQUENCE_H_

#include <cstdio>

#include "base/file_open.h"
#include "scanlib/scan_library.h"

namespace kvr {

inline constexpr const char* kAbortTitle = "An error has occurred and this utility has aborted";

// Runs the program over `words` (word 0 is the program's name) and returns its exit status,
// 0 or 1. `out` and `errors` stand for standard output and standard error; with -o the run's
// output goes to the named file instead, which is closed before returning.
int run_program(int count, const char* const* words, ScanLibrary& library, const FileAccess& files,
                std::FILE* out, std::FILE* errors);

}  // namespace kvr

#endif  // KVR_FRONTEND_RUN_SEQUENCE_H_

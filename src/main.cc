#include <cstdio>
#include <exception>

#include "frontend/run_sequence.h"
#include "library/builtin_library.h"

int main(int argc, char** argv) {
  try {
    kvr::BuiltinScanLibrary library;
    return kvr::run_program(argc, argv, library, kvr::FileAccess{}, stdout, stderr);
  } catch (const std::exception& error) {  // none is thrown on purpose; none may end the process
    std::fprintf(stderr, "kvrbuild: %s\n", error.what());
    return 1;
  }
}

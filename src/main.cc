#include <cstdio>

#include "frontend/run_sequence.h"
#include "library/builtin_library.h"

int main(int argc, char** argv) {
  kvr::BuiltinScanLibrary library;
  return kvr::run_program(argc, argv, library, kvr::FileAccess{}, stdout, stderr);
}

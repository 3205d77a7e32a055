#include <cstdio>
#include <exception>

#include "view/view_program.h"

int main(int argc, char** argv) {
  try {
    return kvr::run_view(argc, argv, stdout, stderr);
  } catch (const std::exception& error) {  // none is thrown on purpose; none may end the process
    std::fprintf(stderr, "kvrview: %s\n", error.what());
    return 1;
  }
}

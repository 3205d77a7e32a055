#include <cstdio>

#include "view/view_program.h"

int main(int argc, char** argv) {
  return kvr::run_view(argc, argv, stdout, stderr);
}

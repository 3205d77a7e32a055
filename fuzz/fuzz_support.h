// What the fuzz targets share beside the tests' own support: an invariant check that stops the
// run with a message. A broken invariant is a finding like a crash: libFuzzer keeps the input.
#ifndef KVR_FUZZ_FUZZ_SUPPORT_H_
#define KVR_FUZZ_FUZZ_SUPPORT_H_

#include <cstdio>
#include <cstdlib>

#include "support/harness.h"

#define KVR_REQUIRE(condition)                                                               \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (0)

#endif  // KVR_FUZZ_FUZZ_SUPPORT_H_

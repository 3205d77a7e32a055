// A test-only switch that makes the global allocation functions fail. While armed, the first N
// allocations succeed and every later one throws std::bad_alloc (the nothrow forms return null).
// Off by default, so the rest of the test binary allocates normally.
#ifndef KVR_TESTS_SUPPORT_ALLOC_FAILURE_H_
#define KVR_TESTS_SUPPORT_ALLOC_FAILURE_H_

#include <cstddef>

namespace kvr::testing {

// Arms the switch for the lifetime of the object; disarms it at its end.
class AllocationFailureAfter {
 public:
  explicit AllocationFailureAfter(std::size_t successful_allocations);
  ~AllocationFailureAfter();
  AllocationFailureAfter(const AllocationFailureAfter&) = delete;
  AllocationFailureAfter& operator=(const AllocationFailureAfter&) = delete;

  // True once an allocation has been refused while armed.
  static bool refused_any();
};

}  // namespace kvr::testing

#endif  // KVR_TESTS_SUPPORT_ALLOC_FAILURE_H_

// How many bytes the process's heap holds, in use and free, where the C library or the sanitizer
// tells it.
#ifndef KVR_BRIDGE_HEAP_IN_USE_H_
#define KVR_BRIDGE_HEAP_IN_USE_H_

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define KVR_HEAP_FROM_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KVR_HEAP_FROM_SANITIZER 1
#endif
#endif

namespace kvr {

// The bytes the heap holds now: the sanitizer's count (g++'s and clang's runtime alike) in a
// sanitizer build, glibc's otherwise; 0 where neither tells.
std::size_t heap_in_use();

// The bytes the heap holds free, which allocations may take without growing the address space:
// glibc's count; 0 in a sanitizer build or where the C library does not tell.
std::size_t heap_free();

}  // namespace kvr

#endif  // KVR_BRIDGE_HEAP_IN_USE_H_

// How many bytes the process's heap holds, where the C library or the sanitizer tells it.
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

}  // namespace kvr

#endif  // KVR_BRIDGE_HEAP_IN_USE_H_

#include "bridge/heap_in_use.h"

#if defined(KVR_HEAP_FROM_SANITIZER)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kvr {

std::size_t heap_in_use() {
#if defined(KVR_HEAP_FROM_SANITIZER)
  return __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#else
  return 0;
#endif
}

std::size_t heap_free() {
#if defined(__GLIBC__) && !defined(KVR_HEAP_FROM_SANITIZER)
  return mallinfo2().fordblks;
#else
  return 0;
#endif
}

}  // namespace kvr

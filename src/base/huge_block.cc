#include "base/huge_block.h"

#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace kvr {

HugeBlock new_block(bool huge_page) {
  HugeBlock block(
      static_cast<char*>(::operator new (kHugeBlockBytes, std::align_val_t{kHugeBlockBytes})));
#if defined(MADV_HUGEPAGE)
  if (huge_page) madvise(block.get(), kHugeBlockBytes, MADV_HUGEPAGE);
#else
  static_cast<void>(huge_page);
#endif
  return block;
}

void HugeBlockDeleter::operator()(char* bytes) const {
  ::operator delete (bytes, std::align_val_t{kHugeBlockBytes});
}

}  // namespace kvr

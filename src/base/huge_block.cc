#include "base/huge_block.h"

#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace kvr {

HugeBlock new_huge_block() {
  HugeBlock block(
      static_cast<char*>(::operator new (kHugeBlockBytes, std::align_val_t{kHugeBlockBytes})));
#if defined(MADV_HUGEPAGE)
  madvise(block.get(), kHugeBlockBytes, MADV_HUGEPAGE);
#endif
  return block;
}

void HugeBlockDeleter::operator()(char* bytes) const {
  ::operator delete (bytes, std::align_val_t{kHugeBlockBytes});
}

}  // namespace kvr

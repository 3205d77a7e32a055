// An array that grows in blocks of 2 MiB (base/huge_block.h): appending never moves what is
// stored and never zero-fills, and the memory it takes stays within a block of what it holds, also
// while it grows. The element size must divide the block.
#ifndef KVR_BASE_CHUNKED_H_
#define KVR_BASE_CHUNKED_H_

#include <bit>
#include <cstddef>
#include <type_traits>
#include <vector>

#include "base/huge_block.h"

namespace kvr {

template <typename T>
class Chunked {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
  static_assert(std::has_single_bit(sizeof(T)) && sizeof(T) <= kHugeBlockBytes);

 public:
  static constexpr std::size_t kBlock = kHugeBlockBytes / sizeof(T);
  static constexpr int kBlockShift = std::countr_zero(kBlock);

  std::size_t size() const { return size_; }
  T& operator[](std::size_t i) { return block(i >> kBlockShift)[i & (kBlock - 1)]; }
  const T& operator[](std::size_t i) const { return block(i >> kBlockShift)[i & (kBlock - 1)]; }
  T& back() { return (*this)[size_ - 1]; }

  // Appends `value`; throws std::bad_alloc, leaving the array as it was, when memory is refused.
  void push_back(const T& value) {
    if (size_ == blocks_.size() * kBlock) blocks_.push_back(new_block(!blocks_.empty()));
    (*this)[size_++] = value;
  }
  void clear() {
    std::vector<HugeBlock>().swap(blocks_);
    size_ = 0;
  }

 private:
  // A block's storage, taken as an array of T (which it may be, T having an implicit lifetime).
  T* block(std::size_t b) const { return reinterpret_cast<T*>(blocks_[b].get()); }

  std::vector<HugeBlock> blocks_;
  std::size_t size_ = 0;
};

}  // namespace kvr

#endif  // KVR_BASE_CHUNKED_H_

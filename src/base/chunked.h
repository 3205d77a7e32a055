// An array that grows in fixed blocks: appending never moves what is stored, never zero-fills,
// and never holds more than one block of spare room, so the memory it takes stays within a block
// of what it holds, also while it grows.
#ifndef KVR_BASE_CHUNKED_H_
#define KVR_BASE_CHUNKED_H_

#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace kvr {

template <typename T, std::size_t kBlockShift = 12>
class Chunked {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

 public:
  static constexpr std::size_t kBlock = std::size_t{1} << kBlockShift;

  std::size_t size() const { return size_; }
  T& operator[](std::size_t i) { return blocks_[i >> kBlockShift][i & (kBlock - 1)]; }
  const T& operator[](std::size_t i) const { return blocks_[i >> kBlockShift][i & (kBlock - 1)]; }
  T& back() { return (*this)[size_ - 1]; }

  // Appends `value`; throws std::bad_alloc, leaving the array as it was, when memory is refused.
  void push_back(const T& value) {
    if (size_ == blocks_.size() * kBlock) {
      std::unique_ptr<T[]> block(new T[kBlock]);  // default-initialised: no zero-filling
      blocks_.push_back(std::move(block));
    }
    (*this)[size_++] = value;
  }
  void clear() {
    std::vector<std::unique_ptr<T[]>>().swap(blocks_);
    size_ = 0;
  }

 private:
  std::vector<std::unique_ptr<T[]>> blocks_;
  std::size_t size_ = 0;
};

}  // namespace kvr

#endif  // KVR_BASE_CHUNKED_H_

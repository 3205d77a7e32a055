// The configure variables of a board, kept as a version 2 database file's variable section holds
// them: each its name, a zero byte, its value and a zero byte, in file order. The bytes live in
// blocks of 2 MiB that never move (base/huge_block.h: past the first, the values of a large
// board cost a handful of page faults instead of one per 4 KiB), and a variable never straddles two
// blocks, so a variable is found again from a 32-bit location and the section is written block by
// block.
#ifndef KVR_DATABASE_VARIABLE_ARENA_H_
#define KVR_DATABASE_VARIABLE_ARENA_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "base/huge_block.h"

namespace kvr {

class VariableArena {
 public:
  static constexpr int kBlockShift = kHugeBlockShift;
  static constexpr std::size_t kBlockBytes = kHugeBlockBytes;

  // Appends a variable (name and value together below a block's size) and returns its location.
  // Throws std::bad_alloc, leaving the arena as it was, when memory is refused.
  std::uint32_t append(std::string_view name, std::string_view value) {
    const std::size_t size = name.size() + value.size() + 2;
    if (blocks_.empty() || blocks_.back().used + size > kBlockBytes) start_block();
    Block& block = blocks_.back();
    const auto location =
        static_cast<std::uint32_t>(((blocks_.size() - 1) << kBlockShift) | block.used);
    char* at = block.bytes.get() + block.used;
    std::memcpy(at, name.data(), name.size());
    at[name.size()] = '\0';
    if (!value.empty()) std::memcpy(at + name.size() + 1, value.data(), value.size());
    at[size - 1] = '\0';
    block.used += size;
    size_ += size;
    return location;
  }

  // The name at `location`, zero-terminated; its value follows its zero byte.
  const char* name_at(std::uint32_t location) const {
    return blocks_[location >> kBlockShift].bytes.get() + (location & (kBlockBytes - 1));
  }

  // Every byte of the section's content, that is all variables but no padding.
  std::uint64_t size() const { return size_; }

  // Calls `each(bytes, size)` for the content of every block, in order.
  template <typename Each>
  bool for_each_block(Each each) const {
    for (const Block& block : blocks_) {
      if (!each(block.bytes.get(), block.used)) return false;
    }
    return true;
  }

  // Calls `each(name, value)` for every variable, in order.
  template <typename Each>
  void for_each_variable(Each each) const {
    for (const Block& block : blocks_) {
      for (std::size_t at = 0; at < block.used;) {
        const std::string_view name(block.bytes.get() + at);
        const std::string_view value(name.data() + name.size() + 1);
        each(name, value);
        at += name.size() + value.size() + 2;
      }
    }
  }

  void clear();

 private:
  struct Block {
    HugeBlock bytes;
    std::size_t used;
  };
  void start_block();
  std::vector<Block> blocks_;
  std::uint64_t size_ = 0;
};

}  // namespace kvr

#endif  // KVR_DATABASE_VARIABLE_ARENA_H_

#include "database/variable_arena.h"

#include <utility>

namespace kvr {

std::uint32_t VariableArena::append(std::string_view name, std::string_view value) {
  const std::size_t size = name.size() + value.size() + 2;
  if (blocks_.empty() || blocks_.back().used + size > kBlockBytes) {
    blocks_.push_back(Block{new_block(!blocks_.empty()), 0});
  }
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

void VariableArena::clear() {
  std::vector<Block>().swap(blocks_);
  size_ = 0;
}

}  // namespace kvr

#include "database/variable_arena.h"

#include <utility>

namespace kvr {

void VariableArena::start_block() {
  blocks_.push_back(Block{new_block(!blocks_.empty()), 0});
}

void VariableArena::clear() {
  std::vector<Block>().swap(blocks_);
  size_ = 0;
}

}  // namespace kvr

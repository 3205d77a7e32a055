// An index of names, to tell in constant time whether a name was seen before, whatever the names
// are. It holds 32-bit ids (the caller knows which name an id stands for) in open-addressing
// tables split into 256 shards that each grow on their own, so that growing never holds two copies
// of the whole index. The hash is keyed with a number drawn afresh for every index, so that no
// input can aim its names at one slot: a crafted file costs what an ordinary one does.
#ifndef KVR_DATABASE_NAME_INDEX_H_
#define KVR_DATABASE_NAME_INDEX_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kvr {

class NameIndex {
 public:
  NameIndex();

  // The hash of `size` bytes, with ASCII letters folded to lower case when `fold_case` is set.
  std::uint64_t hash(const char* bytes, std::size_t size, bool fold_case) const;

  // True when an id of this hash is one that `same(id)` accepts.
  template <typename Same>
  bool contains(std::uint64_t hash, Same same) const {
    const Shard& shard = shards_[hash >> kShardShift];
    if (shard.slots.empty()) return false;
    const std::size_t mask = shard.slots.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
      const std::uint32_t slot = shard.slots[at];
      if (slot == 0) return false;
      if (same(slot - 1)) return true;
    }
  }

  // Adds `id` under `hash`; `hash_of(id)` gives the hash of any id already in, for when a shard
  // grows. Throws std::bad_alloc, leaving the index as it was, when memory is refused.
  template <typename HashOf>
  void insert(std::uint64_t hash, std::uint32_t id, HashOf hash_of) {
    Shard& shard = shards_[hash >> kShardShift];
    if ((shard.used + 1) * 4 > shard.slots.size() * 3) {
      std::vector<std::uint32_t> grown(shard.slots.empty() ? 16 : shard.slots.size() * 2, 0);
      for (std::uint32_t slot : shard.slots) {
        if (slot != 0) place(grown, hash_of(slot - 1), slot);
      }
      shard.slots.swap(grown);
    }
    place(shard.slots, hash, id + 1);
    ++shard.used;
  }

  void clear();

 private:
  static constexpr int kShardShift = 56;  // the top 8 bits choose the shard
  struct Shard {
    std::vector<std::uint32_t> slots;  // id + 1, or 0 for an empty slot; a power of two of them
    std::size_t used = 0;
  };
  static void place(std::vector<std::uint32_t>& slots, std::uint64_t hash, std::uint32_t slot) {
    const std::size_t mask = slots.size() - 1;
    std::size_t at = hash & mask;
    while (slots[at] != 0) at = (at + 1) & mask;
    slots[at] = slot;
  }

  std::array<Shard, 256> shards_;
  std::uint64_t key_;
};

}  // namespace kvr

#endif  // KVR_DATABASE_NAME_INDEX_H_

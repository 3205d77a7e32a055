// An index of names, to tell in constant time whether a name was seen before, whatever the names
// are. It holds 32-bit ids (the caller knows which name an id stands for) under their names'
// hashes (database/name_hash.h, keyed so that no input can aim its names at one slot), in
// open-addressing tables split into 256 shards that each grow on their own, so that growing never
// holds two copies of the whole index; beside each id a byte of its hash spares looking at most
// names that only share a slot.
#ifndef KVR_DATABASE_NAME_INDEX_H_
#define KVR_DATABASE_NAME_INDEX_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace kvr {

class NameIndex {
 public:
  // True when an id under this hash is one that `same(id)` accepts.
  template <typename Same>
  bool contains(std::uint64_t hash, Same same) const {
    const Shard& shard = shards_[hash >> kShardShift];
    if (shard.ids.empty()) return false;
    const std::size_t mask = shard.ids.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
      if (shard.ids[at] == 0) return false;
      if (shard.tags[at] == tag_of(hash) && same(shard.ids[at] - 1)) return true;
    }
  }

  // Adds `id` under `hash`; `hash_of(other)` gives the hash of an id already in, for when its
  // shard grows. Throws std::bad_alloc, leaving the index as it was, when memory is refused.
  template <typename HashOf>
  void insert(std::uint64_t hash, std::uint32_t id, HashOf hash_of) {
    Shard& shard = shards_[hash >> kShardShift];
    if ((shard.used + 1) * 4 > shard.ids.size() * 3) {  // at most three quarters full
      Shard grown;
      grown.ids.assign(shard.ids.empty() ? 16 : shard.ids.size() * 2, 0);
      grown.tags.resize(grown.ids.size());
      for (std::uint32_t other : shard.ids) {
        if (other != 0) grown.place(hash_of(other - 1), other);
      }
      grown.used = shard.used;
      shard = std::move(grown);
    }
    shard.place(hash, id + 1);
    ++shard.used;
  }

 private:
  static constexpr int kShardShift = 56;  // the top 8 bits choose the shard
  static std::uint8_t tag_of(std::uint64_t hash) { return static_cast<std::uint8_t>(hash >> 48); }
  struct Shard {
    std::vector<std::uint32_t> ids;  // id + 1, or 0 for an empty slot; a power of two of them
    std::vector<std::uint8_t> tags;  // a byte of the hash of each slot's name
    std::size_t used = 0;
    void place(std::uint64_t hash, std::uint32_t slot) {
      const std::size_t mask = ids.size() - 1;
      std::size_t at = hash & mask;
      while (ids[at] != 0) at = (at + 1) & mask;
      ids[at] = slot;
      tags[at] = tag_of(hash);
    }
  };

  std::array<Shard, 256> shards_;
};

}  // namespace kvr

#endif  // KVR_DATABASE_NAME_INDEX_H_

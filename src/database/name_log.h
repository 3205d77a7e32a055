// A log of names for a check of repeats made once, after the whole file: each name leaves 40 bits
// of its hash, five bytes, in one of 256 buckets chosen by 8 further bits, in the order the names
// came; a bucket is a list of chunks that never move, cut from blocks of 2 MiB (base/huge_block.h).
// Appending writes each bucket in order, and the check then takes one bucket at a time, small
// enough for the caches, so no name costs a wait for memory at a random place: an index looked up
// name by name would wait about once a name once it outgrows the caches.
//
// The log keeps no names and no ids. Equal names always repeat a hash in their bucket; two
// different names do so by chance about once in 2^48 pairs, as the hash is keyed afresh for every
// run. What a repeat means is for the caller to find out, by looking at that bucket's names again.
#ifndef KVR_DATABASE_NAME_LOG_H_
#define KVR_DATABASE_NAME_LOG_H_

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/huge_block.h"

namespace kvr {

inline constexpr std::size_t kNameBuckets = 256;
using NameBuckets = std::bitset<kNameBuckets>;

// The bucket a name's hash falls into.
constexpr std::size_t name_bucket(std::uint64_t hash) {
  return static_cast<std::size_t>(hash >> 56);
}

class NameLog {
 public:
  // Appends a name's hash. Throws std::bad_alloc, leaving the log as it was, when memory is
  // refused.
  void add(std::uint64_t hash) {
    if (staged_count_ == staged_.size()) spread();
    staged_[staged_count_++] = hash;
  }

  // The buckets in which a hash repeats, or in which `also` (a name not appended) repeats one
  // appended when `with_also` is set. Throws std::bad_alloc when memory is refused.
  NameBuckets repeats(bool with_also, std::uint64_t also);

  void clear();

  // Keeps the log to 4 KiB pages, for where memory is tighter than time: a huge page for its last
  // block would round it up by as much as 2 MiB.
  void use_small_pages() { huge_pages_ = false; }

 private:
  static constexpr std::size_t kEntryBytes = 5;  // the hash's low 40 bits, the lowest byte first
  static constexpr std::size_t kChunkBytes = kEntryBytes * 204;  // a little under 1 KiB
  // Where a bucket's next entry goes, and where its last chunk ends. The 256 of them stay in the
  // caches; the list of each bucket's chunks is looked at only when one is added.
  struct Tail {
    std::uint8_t* next = nullptr;
    std::uint8_t* end = nullptr;
  };
  void grow(Tail& tail, std::size_t b);
  // Moves the staged hashes to their buckets, in order. The parser's own work would push the
  // buckets' tails out of the caches between one name and the next; a batch of them keeps them in.
  void spread();
  // The bytes of chunk `c` of bucket `b` that hold entries, and the entries of bucket `b`.
  std::size_t used(std::size_t b, std::size_t c) const;
  std::size_t size_of(std::size_t b) const;
  // Whether bucket `b` repeats a fragment in `table`, which may hold some already.
  template <typename Table>
  bool bucket_repeats(std::size_t b, Table& table) const;

  std::array<std::uint64_t, 1024> staged_;  // the hashes added last, not yet in their buckets
  std::size_t staged_count_ = 0;
  std::array<Tail, kNameBuckets> tails_{};
  std::array<std::vector<std::uint8_t*>, kNameBuckets> chunks_;
  std::vector<HugeBlock> blocks_;  // where the chunks are cut from, the last one in use
  std::size_t block_used_ = kHugeBlockBytes;
  bool huge_pages_ = true;
};

}  // namespace kvr

#endif  // KVR_DATABASE_NAME_LOG_H_

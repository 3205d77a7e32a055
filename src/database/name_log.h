// A log of names for a check of repeats made once, after the whole file: each name leaves 40 bits
// of its hash, five bytes, in one of 256 buckets chosen by 8 further bits, in the order the names
// came. Appending writes each bucket in order, and the check then takes one bucket at a time,
// small enough for the caches, so no name costs a wait for memory at a random place: an index
// looked up name by name would wait about once a name once it outgrows the caches.
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

#include "base/chunked.h"

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
    Entry entry;
    for (std::size_t k = 0; k < entry.bytes.size(); ++k) {
      entry.bytes[k] = static_cast<std::uint8_t>(hash >> (8 * k));
    }
    buckets_[name_bucket(hash)].push_back(entry);
  }

  // The buckets in which a hash repeats, or in which `also` (a name not appended) repeats one
  // appended when `with_also` is set. Throws std::bad_alloc when memory is refused.
  NameBuckets repeats(bool with_also, std::uint64_t also) const;

  void clear();

 private:
  struct Entry {
    std::array<std::uint8_t, 5> bytes;  // the hash's low 40 bits, the least significant first
  };
  // Whether bucket `b` repeats a fragment, counting `extra` as one before its own when set.
  bool bucket_repeats(std::size_t b, const std::uint64_t* extra,
                      std::vector<std::uint64_t>& table) const;

  std::array<Chunked<Entry, 10>, kNameBuckets> buckets_;
};

}  // namespace kvr

#endif  // KVR_DATABASE_NAME_LOG_H_

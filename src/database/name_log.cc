#include "database/name_log.h"

namespace kvr {
namespace {

constexpr std::uint64_t kFragmentMask = (std::uint64_t{1} << 40) - 1;
constexpr std::uint64_t kTaken = std::uint64_t{1} << 40;  // set in every slot that holds one

// Puts `fragment` into `table` (open addressing, a power of two of slots, at most half full);
// false when it was there already. The fragments are random bits, so their low bits are the slot.
bool put(std::vector<std::uint64_t>& table, std::uint64_t fragment) {
  const std::size_t mask = table.size() - 1;
  for (std::size_t at = fragment & mask;; at = (at + 1) & mask) {
    if (table[at] == 0) {
      table[at] = fragment | kTaken;
      return true;
    }
    if (table[at] == (fragment | kTaken)) return false;
  }
}

}  // namespace

NameBuckets NameLog::repeats(bool with_also, std::uint64_t also) const {
  NameBuckets found;
  std::vector<std::uint64_t> table;
  const std::uint64_t extra = also & kFragmentMask;
  for (std::size_t b = 0; b < kNameBuckets; ++b) {
    const bool with_extra = with_also && name_bucket(also) == b;
    found[b] = bucket_repeats(b, with_extra ? &extra : nullptr, table);
  }
  return found;
}

bool NameLog::bucket_repeats(std::size_t b, const std::uint64_t* extra,
                             std::vector<std::uint64_t>& table) const {
  const Chunked<Entry, 10>& bucket = buckets_[b];
  // Sized for the whole bucket at most half full. A bucket that repeats stops at its first
  // repeat, so a run of many equal names need not take a table of its size: past 2^16 names the
  // table starts at that and grows as it fills.
  std::size_t size = 16;
  while (size < 2 * (bucket.size() + 1) && size < (std::size_t{1} << 17)) size *= 2;
  table.assign(size, 0);
  std::size_t used = 0;
  if (extra != nullptr) {
    put(table, *extra);
    ++used;
  }
  for (std::size_t k = 0; k < bucket.size(); ++k) {
    if (2 * (used + 1) > table.size()) {
      std::vector<std::uint64_t> grown(2 * table.size(), 0);
      for (const std::uint64_t slot : table) {
        if (slot != 0) put(grown, slot & kFragmentMask);
      }
      table.swap(grown);
    }
    const std::array<std::uint8_t, 5>& bytes = bucket[k].bytes;
    std::uint64_t fragment = 0;
    for (int i = 4; i >= 0; --i) fragment = (fragment << 8) | bytes[static_cast<std::size_t>(i)];
    if (!put(table, fragment)) return true;
    ++used;
  }
  return false;
}

void NameLog::clear() {
  for (Chunked<Entry, 10>& bucket : buckets_) bucket.clear();
}

}  // namespace kvr

#include "database/name_log.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <utility>

namespace kvr {
namespace {

constexpr std::uint64_t kFragmentMask = (std::uint64_t{1} << 40) - 1;
constexpr int kGenerationShift = 40;

// The table a bucket is checked in: open addressing, a power of two of slots, at most a quarter
// full.
// A slot holds a fragment with the number of the bucket that put it there above it, so that the
// buckets take turns in one table without clearing it: a slot of an earlier bucket counts as
// empty.
struct FragmentTable {
  std::vector<std::uint64_t> slots;
  std::uint64_t generation = 0;
  std::size_t taken = 0;
};

// Puts `fragment` into `table`; false when it was there already. The fragments are random bits,
// so their low bits are the slot.
bool put(FragmentTable& table, std::uint64_t fragment) {
  const std::size_t mask = table.slots.size() - 1;
  const std::uint64_t wanted = (table.generation << kGenerationShift) | fragment;
  for (std::size_t at = fragment & mask;; at = (at + 1) & mask) {
    std::uint64_t& slot = table.slots[at];
    if ((slot >> kGenerationShift) != table.generation) {
      slot = wanted;
      ++table.taken;
      return true;
    }
    if (slot == wanted) return false;
  }
}

// The fragment an entry holds, its lowest byte first.
std::uint64_t fragment_at(const std::uint8_t* entry) {
  std::uint64_t fragment = 0;
  for (std::size_t k = 5; k-- > 0;) fragment = (fragment << 8) | entry[k];
  return fragment;
}

// Doubles `table`, placing the current bucket's fragments again.
void grow_table(FragmentTable& table) {
  FragmentTable grown{std::vector<std::uint64_t>(2 * table.slots.size(), 0), table.generation, 0};
  for (const std::uint64_t slot : table.slots) {
    if ((slot >> kGenerationShift) == table.generation) put(grown, slot & kFragmentMask);
  }
  table = std::move(grown);
}

}  // namespace

NameBuckets NameLog::repeats(bool with_also, std::uint64_t also) {
  spread();
  // Sized for the largest bucket at most a quarter full: a fuller table makes the branch that
  // finds a free slot mispredict too often (measured: 1.4 M names, 5.2 ns a name half full, 3.6 a
  // quarter). A bucket that repeats stops at its first repeat, so a run of many equal names need
  // not take a table of its size: past 2^16 names the table starts at that and grows as it fills.
  std::size_t largest = 0;
  for (std::size_t b = 0; b < kNameBuckets; ++b) largest = std::max(largest, size_of(b));
  std::size_t size = 16;
  while (size < 4 * (largest + 1) && size < (std::size_t{1} << 18)) size *= 2;
  FragmentTable table{std::vector<std::uint64_t>(size, 0)};
  NameBuckets found;
  for (std::size_t b = 0; b < kNameBuckets; ++b) {
    table.generation = b + 1;
    table.taken = 0;
    if (with_also && name_bucket(also) == b) put(table, also & kFragmentMask);
    found[b] = bucket_repeats(b, table);
  }
  return found;
}

void NameLog::spread() {
  std::size_t k = 0;
  try {
    for (; k < staged_count_; ++k) {
      const std::uint64_t hash = staged_[k];
      Tail& tail = tails_[name_bucket(hash)];
      if (tail.next == tail.end) grow(tail, name_bucket(hash));
      std::uint8_t* const at = tail.next;  // a copy, which the byte stores cannot change
      for (std::size_t i = 0; i < kEntryBytes; ++i) {
        at[i] = static_cast<std::uint8_t>(hash >> (8 * i));
      }
      tail.next = at + kEntryBytes;
    }
  } catch (const std::bad_alloc&) {
    std::copy(staged_.begin() + static_cast<std::ptrdiff_t>(k),
              staged_.begin() + static_cast<std::ptrdiff_t>(staged_count_), staged_.begin());
    staged_count_ -= k;
    throw;
  }
  staged_count_ = 0;
}

void NameLog::grow(Tail& tail, std::size_t b) {
  if (block_used_ + kChunkBytes > kHugeBlockBytes) {
    blocks_.push_back(new_block(huge_pages_ && !blocks_.empty()));
    block_used_ = 0;
  }
  auto* const bytes = reinterpret_cast<std::uint8_t*>(blocks_.back().get() + block_used_);
  chunks_[b].push_back(bytes);  // should this throw, the chunk stays free for the next
  block_used_ += kChunkBytes;
  tail = Tail{bytes, bytes + kChunkBytes};
}

std::size_t NameLog::used(std::size_t b, std::size_t c) const {
  const std::vector<std::uint8_t*>& chunks = chunks_[b];
  return c + 1 < chunks.size() ? kChunkBytes : static_cast<std::size_t>(tails_[b].next - chunks[c]);
}

std::size_t NameLog::size_of(std::size_t b) const {
  const std::size_t chunks = chunks_[b].size();
  return chunks == 0 ? 0 : ((chunks - 1) * kChunkBytes + used(b, chunks - 1)) / kEntryBytes;
}

template <typename Table>
bool NameLog::bucket_repeats(std::size_t b, Table& table) const {
  for (std::size_t c = 0; c < chunks_[b].size(); ++c) {
    const std::uint8_t* const bytes = chunks_[b][c];
    const std::size_t end = used(b, c);
    if (4 * (table.taken + end / kEntryBytes + 1) > table.slots.size()) {
      // Only a bucket of more than 2^16 names, one name at a time.
      for (std::size_t at = 0; at < end; at += kEntryBytes) {
        if (4 * (table.taken + 1) > table.slots.size()) grow_table(table);
        if (!put(table, fragment_at(bytes + at))) return true;
      }
      continue;
    }
    for (std::size_t at = 0; at < end; at += kEntryBytes) {
      if (!put(table, fragment_at(bytes + at))) return true;
    }
  }
  return false;
}

void NameLog::clear() {
  staged_count_ = 0;
  tails_ = {};
  for (std::vector<std::uint8_t*>& chunks : chunks_) std::vector<std::uint8_t*>().swap(chunks);
  std::vector<HugeBlock>().swap(blocks_);
  block_used_ = kHugeBlockBytes;
}

}  // namespace kvr

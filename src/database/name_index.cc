#include "database/name_index.h"

#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>

#include "base/ascii.h"

namespace kvr {
namespace {

// A 64-bit finaliser that spreads every input bit over every output bit.
std::uint64_t mix(std::uint64_t x) {
  x ^= x >> 33;
  x *= 0xFF51AFD7ED558CCDULL;
  x ^= x >> 33;
  x *= 0xC4CEB9FE1A85EC53ULL;
  return x ^ (x >> 33);
}

}  // namespace

NameIndex::NameIndex() {
  // The key only has to be unknown to whoever writes the input; should the system have no source
  // of random numbers, the time and this object's address serve.
  key_ = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
         reinterpret_cast<std::uintptr_t>(this);
  try {
    std::random_device random;
    key_ ^= (std::uint64_t{random()} << 32) ^ random();
  } catch (...) {
  }
  key_ = mix(key_);
}

std::uint64_t NameIndex::hash(const char* bytes, std::size_t size, bool fold_case) const {
  std::uint64_t h = key_ ^ size;
  for (std::size_t at = 0; at < size; at += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes + at, size - at < 8 ? size - at : 8);
    // The ASCII capitals A to Z lose their case bit; nothing else changes.
    if (fold_case) {
      for (int shift = 0; shift < 64; shift += 8) {
        const auto c = static_cast<char>(word >> shift);
        if (is_upper(c)) word |= std::uint64_t{0x20} << shift;
      }
    }
    h = mix(h ^ word);
  }
  return h;
}

void NameIndex::clear() {
  for (Shard& shard : shards_) shard = Shard{};
}

}  // namespace kvr

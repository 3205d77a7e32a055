// The hash that names are checked for repeats by: 64 bits of a name's bytes, keyed with a number
// drawn afresh for every hasher, so that no input can aim its names at one bucket or slot: a
// crafted file costs what an ordinary one does. Every name read is hashed, so the hash is defined
// here, where the parser's code can take it in.
#ifndef KVR_DATABASE_NAME_HASH_H_
#define KVR_DATABASE_NAME_HASH_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kvr {

namespace name_hash {

// A 64-bit finaliser that spreads every input bit over every output bit.
inline std::uint64_t mix(std::uint64_t x) {
  x ^= x >> 33;
  x *= 0xFF51AFD7ED558CCDULL;
  x ^= x >> 33;
  x *= 0xC4CEB9FE1A85EC53ULL;
  return x ^ (x >> 33);
}

// The eight bytes of `word` with the ASCII capitals A to Z made small letters and nothing else
// changed, all eight at once: in each byte below 0x80 the top bit of (byte + 0x3F) tells that it
// is at least 'A', that of (byte + 0x25) that it is past 'Z', and no sum carries into the next
// byte.
inline std::uint64_t fold_capitals(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kTops = 0x80 * kOnes;
  const std::uint64_t low7 = word & ~kTops;
  const std::uint64_t from_a = low7 + (0x80 - 'A') * kOnes;
  const std::uint64_t past_z = low7 + (0x80 - 'Z' - 1) * kOnes;
  const std::uint64_t capitals = from_a & ~past_z & ~word & kTops;
  return word | (capitals >> 2);
}

// Up to eight bytes as one little-endian word, the missing ones zero; a whole word in one load.
inline std::uint64_t load_word(const char* bytes, std::size_t count) {
  std::uint64_t word = 0;
  if (count >= 8) {
    std::memcpy(&word, bytes, 8);
    return word;
  }
  for (std::size_t k = 0; k < count; ++k) {
    word |= std::uint64_t{static_cast<unsigned char>(bytes[k])} << (8 * k);
  }
  return word;
}

}  // namespace name_hash

class NameHasher {
 public:
  NameHasher();

  // The hash of `size` bytes, with ASCII letters folded to lower case when `fold_case` is set.
  std::uint64_t operator()(const char* bytes, std::size_t size, bool fold_case) const {
    std::uint64_t h = key_ ^ size;
    if (size <= 8) {  // every device name, and most variable names: no loop
      const std::uint64_t word = name_hash::load_word(bytes, size);
      return name_hash::mix(h ^ (fold_case ? name_hash::fold_capitals(word) : word));
    }
    for (std::size_t at = 0; at < size; at += 8) {
      std::uint64_t word = name_hash::load_word(bytes + at, size - at);
      if (fold_case) word = name_hash::fold_capitals(word);
      h = name_hash::mix(h ^ word);
    }
    return h;
  }

 private:
  std::uint64_t key_;
};

}  // namespace kvr

#endif  // KVR_DATABASE_NAME_HASH_H_

#include "database/byte_io.h"

namespace kvr {
namespace {

// The unlocked forms skip the per-call stream lock; the program is single-threaded and moves every
// byte of a database file through these two calls, so the lock would be pure cost.
inline int put_one(int c, std::FILE* stream) {
#if defined(__unix__) || defined(__APPLE__)
  return putc_unlocked(c, stream);
#else
  return std::putc(c, stream);
#endif
}

inline int get_one(std::FILE* stream) {
#if defined(__unix__) || defined(__APPLE__)
  return getc_unlocked(stream);
#else
  return std::getc(stream);
#endif
}

}  // namespace

Status write_byte(std::uint32_t value, std::FILE* stream) {
  return put_one(static_cast<int>(value & 0xFFU), stream) == EOF ? kStatusWriteFailed : kStatusOk;
}

Status write_word(std::uint32_t value, std::FILE* stream) {
  for (int shift = 0; shift < 32; shift += 8) {
    const Status status = write_byte(value >> shift, stream);
    if (status != kStatusOk) return status;
  }
  return kStatusOk;
}

Status read_byte(std::uint8_t* byte, std::uint32_t& counter, std::FILE* stream) {
  const int c = get_one(stream);
  if (c == EOF) return kStatusReadFailed;
  *byte = static_cast<std::uint8_t>(c);
  ++counter;
  return kStatusOk;
}

Status read_word(std::uint32_t* word, std::uint32_t& counter, std::FILE* stream) {
  // Assembled in a local so that a file ending inside the word leaves the caller's value alone.
  std::uint32_t assembled = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int c = get_one(stream);
    if (c == EOF) return kStatusReadFailed;
    assembled |= static_cast<std::uint32_t>(c) << shift;
  }
  *word = assembled;
  counter += 4;
  return kStatusOk;
}

}  // namespace kvr

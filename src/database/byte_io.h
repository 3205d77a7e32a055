// Single-byte stream primitives for database files. Every number in a database file is a 32-bit
// little-endian word, whatever the byte order of the machine.
#ifndef KVR_DATABASE_BYTE_IO_H_
#define KVR_DATABASE_BYTE_IO_H_

#include <cstdint>
#include <cstdio>

#include "base/status.h"

namespace kvr {

// The calls are inline: every byte of a database file passes through them, and a call per byte
// would cost as much as the rest of a generate.
// Writes the low byte of `value`; -136 when the stream does not take it.
inline Status write_byte(std::uint32_t value, std::FILE* stream);
// Writes four bytes, least significant first; -136 at the first that fails.
inline Status write_word(std::uint32_t value, std::FILE* stream);

// Reads one byte; -135 at the end of the file or on an error, else adds 1 to `counter`.
inline Status read_byte(std::uint8_t* byte, std::uint32_t& counter, std::FILE* stream);
// Reads four bytes, the first the least significant; -135 (and `word` unchanged) when any read
// fails, else adds 4 to `counter`.
inline Status read_word(std::uint32_t* word, std::uint32_t& counter, std::FILE* stream);

namespace byte_io_detail {

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

}  // namespace byte_io_detail

inline Status write_byte(std::uint32_t value, std::FILE* stream) {
  return byte_io_detail::put_one(static_cast<int>(value & 0xFFU), stream) == EOF
             ? kStatusWriteFailed
             : kStatusOk;
}

inline Status write_word(std::uint32_t value, std::FILE* stream) {
  for (int shift = 0; shift < 32; shift += 8) {
    const Status status = write_byte(value >> shift, stream);
    if (status != kStatusOk) return status;
  }
  return kStatusOk;
}

inline Status read_byte(std::uint8_t* byte, std::uint32_t& counter, std::FILE* stream) {
  const int c = byte_io_detail::get_one(stream);
  if (c == EOF) return kStatusReadFailed;
  *byte = static_cast<std::uint8_t>(c);
  ++counter;
  return kStatusOk;
}

inline Status read_word(std::uint32_t* word, std::uint32_t& counter, std::FILE* stream) {
  // Assembled in a local so that a file ending inside the word leaves the caller's value alone.
  std::uint32_t assembled = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int c = byte_io_detail::get_one(stream);
    if (c == EOF) return kStatusReadFailed;
    assembled |= static_cast<std::uint32_t>(c) << shift;
  }
  *word = assembled;
  counter += 4;
  return kStatusOk;
}

}  // namespace kvr

#endif  // KVR_DATABASE_BYTE_IO_H_

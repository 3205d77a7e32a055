// Single-byte stream primitives for database files. Every number in a database file is a 32-bit
// little-endian word, whatever the byte order of the machine.
#ifndef KVR_DATABASE_BYTE_IO_H_
#define KVR_DATABASE_BYTE_IO_H_

#include <cstdint>
#include <cstdio>

#include "base/status.h"

namespace kvr {

// Writes the low byte of `value`; -136 when the stream does not take it.
Status write_byte(std::uint32_t value, std::FILE* stream);
// Writes four bytes, least significant first; -136 at the first that fails.
Status write_word(std::uint32_t value, std::FILE* stream);

// Reads one byte; -135 at the end of the file or on an error, else adds 1 to `counter`.
Status read_byte(std::uint8_t* byte, std::uint32_t& counter, std::FILE* stream);
// Reads four bytes, the first the least significant; -135 (and `word` unchanged) when any read
// fails, else adds 4 to `counter`.
Status read_word(std::uint32_t* word, std::uint32_t& counter, std::FILE* stream);

}  // namespace kvr

#endif  // KVR_DATABASE_BYTE_IO_H_

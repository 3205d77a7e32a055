// Reading a file or a stream whole, up to a bound, for the files an import reads: a file larger
// than the bound is refused as soon as that is known, before it is read when its size is known
// beforehand, and a pipe or a device once a byte past the bound arrives.
#ifndef KVR_BRIDGE_BOUNDED_READ_H_
#define KVR_BRIDGE_BOUNDED_READ_H_

#include <cstdint>
#include <cstdio>
#include <string>

namespace kvr {

enum class ReadEnd { kWhole, kTooLarge, kFailed };

// Reads what `stream` still holds into `text`, at most `limit` bytes; kFailed with the system's
// error number in `error` (0 when it gave none).
ReadEnd read_at_most(std::FILE* stream, std::uint64_t limit, std::string& text, int& error);

// "64 MiB", or the number of bytes when it is no whole number of MiB.
std::string size_in_words(std::uint64_t bytes);

}  // namespace kvr

#endif  // KVR_BRIDGE_BOUNDED_READ_H_

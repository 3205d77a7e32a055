// Block-wise reading and writing of database files. Every number in a database file is a 32-bit
// little-endian word, whatever the byte order of the machine. Both sides move the bytes through a
// buffer of their own, so that a file of many megabytes costs a few dozen stream calls.
#ifndef KVR_DATABASE_BYTE_IO_H_
#define KVR_DATABASE_BYTE_IO_H_

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/status.h"
#include "database/byte_sink.h"

namespace kvr {

// Reads a stream from its current position. Every read that the stream cannot complete returns
// -135 and leaves the caller's value alone; `counter` counts the bytes delivered.
class ByteReader {
 public:
  explicit ByteReader(std::FILE* stream) : stream_(stream), block_(new char[kBlockBytes]) {}

  Status byte(std::uint8_t& value) {
    if (at_ == end_ && !refill()) return kStatusReadFailed;
    value = static_cast<std::uint8_t>(block_[at_++]);
    ++counter;
    return kStatusOk;
  }
  Status word(std::uint32_t& value) {
    unsigned char bytes[4];
    for (unsigned char& b : bytes) {
      if (at_ == end_ && !refill()) return kStatusReadFailed;
      b = static_cast<unsigned char>(block_[at_++]);
    }
    value = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t{bytes[3]} << 24;
    counter += 4;
    return kStatusOk;
  }
  // The bytes up to the next zero byte within the buffer (at most `limit` + 1 of them): their
  // count, and whether the zero byte was among them. -135 when the stream ends first.
  Status span_to_zero(const char*& bytes, std::size_t& count, bool& ended, std::size_t limit) {
    if (at_ == end_ && !refill()) return kStatusReadFailed;
    bytes = block_.get() + at_;
    const std::size_t available = std::min(end_ - at_, limit + 1);
    const void* zero = std::memchr(bytes, 0, available);
    ended = zero != nullptr;
    count = ended ? static_cast<std::size_t>(static_cast<const char*>(zero) - bytes) : available;
    at_ += count + (ended ? 1 : 0);
    counter += static_cast<std::uint32_t>(count + (ended ? 1 : 0));
    return kStatusOk;
  }

  std::uint32_t counter = 0;

 private:
  static constexpr std::size_t kBlockBytes = std::size_t{1} << 16;
  bool refill() {
    at_ = 0;
    end_ = std::fread(block_.get(), 1, kBlockBytes, stream_);
    return end_ != 0;
  }
  std::FILE* stream_;
  std::unique_ptr<char[]> block_;
  std::size_t at_ = 0, end_ = 0;
};

// Writes to a sink through a buffer. The first write the sink refuses makes every later one a
// no-op, and flush() then returns -136.
class ByteWriter {
 public:
  explicit ByteWriter(ByteSink& sink) : sink_(sink), buffer_(new char[kBufferBytes]) {}

  void word(std::uint32_t value) { words(std::array<std::uint32_t, 1>{value}); }
  // Several words with one look at the room left: a device record is fifteen.
  template <std::size_t N>
  void words(const std::array<std::uint32_t, N>& values) {
    if (used_ + 4 * N > kBufferBytes) flush();
    unsigned char bytes[4 * N];
    for (std::size_t i = 0; i < N; ++i) {
      for (std::size_t k = 0; k < 4; ++k)
        bytes[4 * i + k] = static_cast<unsigned char>(values[i] >> (8 * k));
    }
    std::memcpy(buffer_.get() + used_, bytes, 4 * N);
    used_ += 4 * N;
  }
  void bytes(const char* data, std::size_t size) {
    if (used_ + size > kBufferBytes) {
      flush();
      if (size > kBufferBytes / 2) {  // large runs go to the sink directly
        failed_ = failed_ || !sink_.write(data, size);
        return;
      }
    }
    std::memcpy(buffer_.get() + used_, data, size);
    used_ += size;
  }
  Status flush() {
    if (!failed_ && used_ > 0) failed_ = !sink_.write(buffer_.get(), used_);
    used_ = 0;
    return failed_ ? kStatusWriteFailed : kStatusOk;
  }

 private:
  static constexpr std::size_t kBufferBytes = std::size_t{1} << 16;
  ByteSink& sink_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

}  // namespace kvr

#endif  // KVR_DATABASE_BYTE_IO_H_

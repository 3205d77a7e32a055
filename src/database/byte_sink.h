// Where the database writer's bytes go: a file, or memory. The writer writes its sections in
// order and then goes back to fill in two fields, so a sink takes whole runs of bytes and can move
// to an absolute offset. Tests put a sink of their own in its place, for example one that fails.
#ifndef KVR_DATABASE_BYTE_SINK_H_
#define KVR_DATABASE_BYTE_SINK_H_

#include <cstdint>
#include <cstdio>
#include <string>

namespace kvr {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Writes `size` bytes at the current offset and moves past them; false when not all of them
  // were taken (those before the failure may have been).
  virtual bool write(const char* data, std::size_t size) = 0;
  // Moves to `offset` from the start; false when that fails.
  virtual bool seek(std::uint64_t offset) = 0;
};

// A stream opened for binary writing, at its current offset; seeking is fseek() from its start.
class FileSink final : public ByteSink {
 public:
  explicit FileSink(std::FILE* stream) : stream_(stream) {}
  bool write(const char* data, std::size_t size) override {
    return std::fwrite(data, 1, size, stream_) == size;
  }
  bool seek(std::uint64_t offset) override {
    return offset <= 0x7FFFFFFF && std::fseek(stream_, static_cast<long>(offset), SEEK_SET) == 0;
  }

 private:
  std::FILE* stream_;
};

// Bytes in memory: a write past the end grows them, a write before it overwrites. Throws
// std::bad_alloc when they cannot grow.
class MemorySink final : public ByteSink {
 public:
  explicit MemorySink(std::string& bytes) : bytes_(bytes) {}
  bool write(const char* data, std::size_t size) override {
    if (at_ + size > bytes_.size()) bytes_.resize(at_ + size);
    bytes_.replace(at_, size, data, size);
    at_ += size;
    return true;
  }
  bool seek(std::uint64_t offset) override {
    if (offset > bytes_.size()) return false;
    at_ = static_cast<std::size_t>(offset);
    return true;
  }

 private:
  std::string& bytes_;
  std::size_t at_ = 0;
};

}  // namespace kvr

#endif  // KVR_DATABASE_BYTE_SINK_H_

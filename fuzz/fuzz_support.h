// What every fuzz target shares: an invariant check that stops the run with a message, and streams
// over the fuzzer's bytes.
#ifndef KVR_FUZZ_FUZZ_SUPPORT_H_
#define KVR_FUZZ_FUZZ_SUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

// A broken invariant is a finding like a crash: libFuzzer keeps the input that caused it.
#define KVR_REQUIRE(condition)                                                               \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (0)

namespace kvr::fuzz {

// A read-only stream holding `size` bytes. fmemopen refuses an empty buffer on some C libraries,
// so the bytes are copied into a buffer that is never empty and the stream is limited to `size`.
class ByteStream {
 public:
  ByteStream(const std::uint8_t* data, std::size_t size) : bytes_(data, data + size) {
    bytes_.push_back(0);
    stream_ = size == 0 ? std::tmpfile() : fmemopen(bytes_.data(), size, "rb");
    KVR_REQUIRE(stream_ != nullptr);
  }
  ~ByteStream() { std::fclose(stream_); }
  ByteStream(const ByteStream&) = delete;
  ByteStream& operator=(const ByteStream&) = delete;
  std::FILE* get() const { return stream_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::FILE* stream_ = nullptr;
};

// A stream that swallows everything, opened once per process.
inline std::FILE* null_stream() {
  static std::FILE* stream = std::fopen("/dev/null", "w");
  KVR_REQUIRE(stream != nullptr);
  return stream;
}

}  // namespace kvr::fuzz

#endif  // KVR_FUZZ_FUZZ_SUPPORT_H_

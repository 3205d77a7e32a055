// UTF-8 read as a decoder reads it: a well-formed sequence is one code point, and any byte that
// starts none (a stray continuation byte, an overlong or out-of-range form, a sequence cut short)
// is one of its own, as a decoder replaces it by U+FFFD.
#ifndef KVR_BASE_UTF8_H_
#define KVR_BASE_UTF8_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kvr {

// The bytes of the sequence that starts at `at` (1 for a byte that starts none) and the UTF-16
// code units its code point takes.
struct Utf8Sequence {
  std::size_t bytes;
  std::uint32_t utf16_units;
};

inline Utf8Sequence utf8_sequence_at(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  const std::size_t length = lead < 0x80                    ? 1
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
  if (length <= 1 || at + length > text.size()) return {1, 1};
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return {1, 1};
  }
  const unsigned char second = byte(at + 1);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
    return {1, 1};
  }
  return {length, length == 4 ? 2u : 1u};
}

// The code points of `bytes`, read from its start.
inline std::size_t utf8_code_points(std::string_view bytes) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < bytes.size(); at += utf8_sequence_at(bytes, at).bytes) ++count;
  return count;
}

}  // namespace kvr

#endif  // KVR_BASE_UTF8_H_

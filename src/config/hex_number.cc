#include "config/hex_number.h"

#include "base/ascii.h"

namespace kvr {

std::uint32_t read_hex_u32(const char* text) {
  const char* p = text;
  while (is_space(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  // The prefix counts only when a digit follows it; otherwise the '0' alone is the number.
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && hex_digit_value(p[2]) >= 0) p += 2;

  std::uint64_t value = 0;
  bool overflow = false;
  for (int digit = hex_digit_value(*p); digit >= 0; digit = hex_digit_value(*++p)) {
    value = value * 16 + static_cast<std::uint64_t>(digit);
    if (value > 0xFFFFFFFFu) {
      overflow = true;
      value = 0xFFFFFFFFu;  // keeps the product small; later digits cannot undo the overflow
    }
  }
  if (overflow) return 0xFFFFFFFFu;
  auto result = static_cast<std::uint32_t>(value);
  return negative ? static_cast<std::uint32_t>(0u - result) : result;
}

}  // namespace kvr

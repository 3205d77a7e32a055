#include "lint/class_ids.h"

#include <cstdio>

#include "config/hex_number.h"

namespace kvr {
namespace {

// `value` in upper-case hexadecimal, zero-filled to `width`; nothing when it needs more.
std::optional<std::string> hex_digits(std::uint32_t value, std::uint32_t width) {
  std::string text(width, '0');
  for (std::uint32_t i = width; i > 0 && value != 0; --i, value >>= 4) {
    text[i - 1] = "0123456789ABCDEF"[value & 0xF];
  }
  if (value != 0) return std::nullopt;
  return text;
}

}  // namespace

std::uint32_t digit_count(const FamilyRow& row) {
  return row.full_length > row.literal_length ? row.full_length - row.literal_length : 0;
}

std::optional<std::string> digits_for(std::uint32_t value, std::uint32_t width) {
  std::optional<std::string> text = hex_digits(value, width);
  if (!text && width >= 2) {
    if (std::optional<std::string> negated = hex_digits(0u - value, width - 1)) {
      text = "-" + *negated;
    }
  }
  // The reader has the last word: a text is offered only when it reads back to the value.
  if (text && read_hex_u32(text->c_str()) != value) return std::nullopt;
  return text;
}

std::string hex_text(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
  return text;
}

std::optional<std::string> class_id_for(const FamilyRow& row, std::uint32_t high_level) {
  std::optional<std::string> digits =
      digits_for(high_level - row.high_level_base, digit_count(row));
  if (!digits) return std::nullopt;
  return std::string(row.type_name, row.literal_length) + *digits;
}

}  // namespace kvr

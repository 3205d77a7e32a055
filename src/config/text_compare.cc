#include "config/text_compare.h"

namespace kvr {
namespace {

// The C locale's lower-casing: only the ASCII capitals change.
inline unsigned char lower(char c) {
  auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

}  // namespace

int equal_nocase_n(const char* first, const char* second, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (lower(first[i]) != lower(second[i])) return 1;
    if (first[i] == '\0') return 0;
  }
  return 0;
}

int equal_nocase(const char* first, const char* second) {
  for (std::size_t i = 0;; ++i) {
    if (lower(first[i]) != lower(second[i])) return 1;
    if (first[i] == '\0') return 0;
  }
}

}  // namespace kvr

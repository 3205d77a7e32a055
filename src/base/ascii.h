// ASCII character classes and letter case, as the C locale has them. Both file formats and the
// command line are ASCII: no other byte is a letter or a digit, and only A to Z change case.
#ifndef KVR_BASE_ASCII_H_
#define KVR_BASE_ASCII_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace kvr {

constexpr bool is_upper(char c) {
  return c >= 'A' && c <= 'Z';
}
constexpr bool is_letter(char c) {
  return is_upper(c) || (c >= 'a' && c <= 'z');
}
constexpr bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
// A letter, a digit or '_': what follows the first letter of a variable or device name.
constexpr bool is_name_char(char c) {
  return is_letter(c) || is_digit(c) || c == '_';
}
// The value of a hexadecimal digit, or -1.
constexpr int hex_digit_value(char c) {
  if (is_digit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
// The C locale's white space: space, tab, line feed, vertical tab, form feed, carriage return.
constexpr bool is_space(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
constexpr char to_lower(char c) {
  return is_upper(c) ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char to_upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
// Letters to lower case in place, a loop without branches that the compiler can turn into vector
// instructions: values of many kilobytes are dumped in lower case.
inline void lower_in_place(char* text, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    text[i] = static_cast<char>(c + (static_cast<unsigned char>(c - 'A') < 26 ? 'a' - 'A' : 0));
  }
}
inline std::string lower_cased(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = to_lower(c);
  return lowered;
}
inline std::string upper_cased(std::string_view text) {
  std::string raised(text);
  for (char& c : raised) c = to_upper(c);
  return raised;
}

// 0 when the first `n` characters of both texts are equal with letter case ignored (a pair of
// terminating zeros ends the comparison as equal), 1 otherwise. Neither gives an ordering.
inline int equal_nocase_n(const char* first, const char* second, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (to_lower(first[i]) != to_lower(second[i])) return 1;
    if (first[i] == '\0') return 0;
  }
  return 0;
}
// 0 when both texts are equal apart from letter case, 1 otherwise.
inline int equal_nocase(const char* first, const char* second) {
  return equal_nocase_n(first, second, static_cast<std::size_t>(-1));
}

}  // namespace kvr

#endif  // KVR_BASE_ASCII_H_

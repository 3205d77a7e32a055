#include "config/config_variables.h"

#include <array>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>

#include "config/model_append.h"
#include "config/text_compare.h"

namespace kvr {
namespace {

// Both lists are searched, so a word's list only documents its meaning.
constexpr std::array<const char*, 14> kBooleanWords = {
    "POSITIVE", "ASSERT", "TRUTH", "TRUE", "HIGH", "YES", "ONE",   // yes
    "NEGATIVE", "NEGATE", "FALSE", "LOW",  "NOT",  "NO",  "ZERO",  // no
};

bool is_letter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
bool is_octal_digit(char c) {
  return c >= '0' && c <= '7';
}
bool is_hex_digit(char c) {
  return is_digit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
bool is_space_or_tab(char c) {
  return c == ' ' || c == '\t';
}

bool all_of(std::string_view text, bool (*accept)(char)) {
  for (char c : text) {
    if (!accept(c)) return false;
  }
  return true;
}

// The length of the value that starts at `start`, or 0 when a string value is unterminated or
// followed by text other than spaces, tabs and a comment.
std::size_t value_length(const char* start) {
  if (*start == '\'') {
    const char* close = std::strchr(start + 1, '\'');
    if (close == nullptr) return 0;
    const char* rest = close + 1;
    // With a ';' further on, the stretch up to it must be blank; without one, the stretch up to
    // the line end. A carriage return not followed by a newline is thus only allowed when no
    // comment follows.
    const char* stop = std::strchr(rest, ';');
    if (stop == nullptr) stop = rest + std::strcspn(rest, "\r\n");
    for (const char* p = rest; p < stop; ++p) {
      if (!is_space_or_tab(*p)) return 0;
    }
    return static_cast<std::size_t>(close - start) + 1;
  }
  std::size_t length = std::strcspn(start, ";\r\n");
  while (length > 0 && is_space_or_tab(start[length - 1])) --length;
  return length;
}

bool is_boolean_word(const std::string& value) {
  for (const char* word : kBooleanWords) {
    if (equal_nocase(value.c_str(), word) == 0) return true;
  }
  return false;
}

bool is_valid_value(const std::string& value) {
  std::string_view text = value;
  if (is_boolean_word(value)) return true;
  if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'') {
    std::string_view inner = text.substr(1, text.size() - 2);
    // Two single-character searches: a search for a set of characters costs a call per character.
    if (inner.find('\r') != std::string_view::npos || inner.find('\n') != std::string_view::npos) {
      return false;
    }
    // A backslash and the digit 0 would read as an end of text to the software that uses it.
    return inner.find("\\0") == std::string_view::npos;
  }
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    return text.size() - 2 <= 8 && all_of(text.substr(2), is_hex_digit);
  }
  if (text[0] == '0') return text.size() - 1 <= 8 && all_of(text.substr(1), is_octal_digit);
  return text.size() <= 8 && all_of(text, is_digit);
}

}  // namespace

Status parse_variable_name(LineState& line, const BoardModel& model, std::string& name) {
  name.clear();
  const char* text = line.buffer;
  std::size_t pos = line.column + 1u;  // past the '['
  // i counts the characters after the '[' from 1; the checks run in this order so that a 33rd
  // character is "too long" whatever it is, and the line end is an invalid character.
  for (std::size_t i = 1;; ++i, ++pos) {
    char c = text[pos];
    if (c == ']') {
      if (i == 1) return kStatusVariableNameEmpty;
      break;
    }
    if (i > kMaxVariableName) return kStatusVariableNameTooLong;
    bool allowed = i == 1 ? is_letter(c) : (is_letter(c) || is_digit(c) || c == '_');
    if (!allowed) return kStatusVariableNameInvalid;
  }
  std::size_t first = line.column + 1u;
  try {
    std::string candidate(text + first, pos - first);
    line.column = static_cast<std::uint16_t>(pos + 1);
    if (variable_name_taken(model, candidate)) return kStatusVariableNameDuplicate;
    name = std::move(candidate);
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  return kStatusOk;
}

Status parse_variable_value(LineState& line, std::string& value) {
  value.clear();
  const char* start = line.buffer + line.column;
  std::size_t length = value_length(start);
  if (length == 0 || length > kMaxVariableValue) return kStatusValueInvalid;
  try {
    std::string candidate(start, length);
    if (!is_valid_value(candidate)) return kStatusValueInvalid;
    value = std::move(candidate);
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  line.column = static_cast<std::uint16_t>(line.column + length);
  return kStatusOk;
}

}  // namespace kvr

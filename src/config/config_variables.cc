#include "config/config_variables.h"

#include <array>
#include <cstring>
#include <string_view>

#include "base/ascii.h"
#include "config/model_append.h"
#include "database/format.h"

namespace kvr {
namespace {

// Both lists are searched, so a word's list only documents its meaning.
constexpr std::array<const char*, 14> kBooleanWords = {
    "POSITIVE", "ASSERT", "TRUTH", "TRUE", "HIGH", "YES", "ONE",   // yes
    "NEGATIVE", "NEGATE", "FALSE", "LOW",  "NOT",  "NO",  "ZERO",  // no
};

bool is_octal_digit(char c) {
  return c >= '0' && c <= '7';
}
bool is_hex_digit(char c) {
  return hex_digit_value(c) >= 0;
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
  // A plain loop: the set search of the C library costs more than these few characters.
  std::size_t length = 0;
  while (start[length] != ';' && start[length] != '\r' && start[length] != '\n' &&
         start[length] != '\0') {
    ++length;
  }
  while (length > 0 && is_space_or_tab(start[length - 1])) --length;
  return length;
}

bool is_boolean_word(std::string_view value) {
  if (value.size() > 8 || !is_letter(value[0])) return false;  // the words are 2 to 8 letters
  for (const char* word : kBooleanWords) {
    if (value.size() == std::strlen(word) &&
        equal_nocase_n(value.data(), word, value.size()) == 0) {
      return true;
    }
  }
  return false;
}

bool is_valid_value(std::string_view text) {
  // A number first: they are the values of most variables.
  if (is_digit(text[0])) {
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
      return text.size() - 2 <= 8 && all_of(text.substr(2), is_hex_digit);
    }
    if (text[0] == '0') return text.size() - 1 <= 8 && all_of(text.substr(1), is_octal_digit);
    return text.size() <= 8 && all_of(text, is_digit);
  }
  if (is_boolean_word(text)) return true;
  if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'') {
    std::string_view inner = text.substr(1, text.size() - 2);
    // Two single-character searches: a search for a set of characters costs a call per character.
    if (inner.find('\r') != std::string_view::npos || inner.find('\n') != std::string_view::npos) {
      return false;
    }
    // A backslash and the digit 0 would read as an end of text to the software that uses it.
    return inner.find("\\0") == std::string_view::npos;
  }
  return false;
}

}  // namespace

Status parse_variable_name(LineState& line, VariableName& name, std::size_t* size) {
  static constexpr NameRules kRules = {']', format::kMaxVariableName, kStatusVariableNameEmpty,
                                       kStatusVariableNameTooLong, kStatusVariableNameInvalid};
  const char* first = line.buffer + line.column + 1;  // past the '['
  std::size_t length = 0;
  if (Status status = measure_name(first, kRules, length); status != kStatusOk) return status;
  // Where the line's buffer holds them, the longest name's bytes are copied, a fixed size and no
  // call; the zero byte ends the name.
  if (line.column + 1u + format::kMaxVariableName <= LineState::kBufferSize) {
    std::memcpy(name.data(), first, format::kMaxVariableName);
  } else {
    std::memcpy(name.data(), first, length);
  }
  line.column = static_cast<std::uint16_t>(line.column + length + 2);
  name[length] = '\0';
  if (size != nullptr) *size = length;
  return kStatusOk;
}

Status parse_variable_value(LineState& line, std::string_view& value) {
  const char* start = line.buffer + line.column;
  const std::size_t length = value_length(start);
  if (length == 0 || length > format::kMaxVariableValue) return kStatusValueInvalid;
  if (!is_valid_value(std::string_view(start, length))) return kStatusValueInvalid;
  value = std::string_view(start, length);
  line.column = static_cast<std::uint16_t>(line.column + length);
  return kStatusOk;
}

}  // namespace kvr

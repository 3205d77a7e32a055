#include "bridge/imported_tap.h"

#include <algorithm>

#include "base/ascii.h"

namespace kvr {
namespace {

// Where line `line` (from 1) of `text` begins, or the text's size past its last line.
std::size_t line_start(std::string_view text, std::uint32_t line) {
  std::size_t at = 0;
  for (std::uint32_t n = 1; n < line && at < text.size(); ++n) {
    const std::size_t end = text.find('\n', at);
    at = end == std::string_view::npos ? text.size() : end + 1;
  }
  return at;
}

std::string_view line_at(std::string_view text, std::size_t start) {
  std::string_view line = text.substr(std::min(start, text.size()));
  line = line.substr(0, line.find('\n'));
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

std::string ir_length_outside(std::string_view written) {
  return "the IR length " + std::string(written) +
         " is outside 1 to 1024 (0x400), the lengths a board.cfg can give a device";
}

}  // namespace

std::string full_name(const ImportedTap& tap) {
  return tap.chip.empty() ? tap.tap : tap.chip + "." + tap.tap;
}

ImportFailure failure_at(const std::string& file, std::string_view text, std::size_t offset,
                         std::string message) {
  offset = std::min(offset, text.size());
  const auto line =
      static_cast<std::uint32_t>(1 + std::count(text.begin(), text.begin() + offset, '\n'));
  const std::size_t start = text.rfind('\n', offset == 0 ? 0 : offset - 1);
  const std::size_t begin = start == std::string_view::npos || offset == 0 ? 0 : start + 1;
  return {file, line, static_cast<std::uint32_t>(offset - begin + 1),
          std::string(line_at(text, begin)), std::move(message)};
}

ImportFailure failure_on_line(const std::string& file, std::string_view text, std::uint32_t line,
                              std::string message) {
  const std::size_t start = line_start(text, line);
  const std::string_view content = line_at(text, start);
  const std::size_t first = std::min(content.find_first_not_of(" \t"), content.size());
  return {file, line, static_cast<std::uint32_t>(first + 1), std::string(content),
          std::move(message)};
}

std::string import_diagnostic(const ImportFailure& failure) {
  if (failure.line == 0) return failure.file + ": error: " + failure.message + "\n";
  std::string message = failure.file + ":" + std::to_string(failure.line) + ":" +
                        std::to_string(failure.column) + ": error: " + failure.message + "\n" +
                        failure.line_text + "\n";
  // Tabs before the column stay tabs, so that the caret stands under the character on a screen.
  for (std::uint32_t i = 0; i + 1 < failure.column; ++i) {
    message += i < failure.line_text.size() && failure.line_text[i] == '\t' ? '\t' : ' ';
  }
  return message + "^\n";
}

std::string ir_length_problem(std::int64_t length) {
  if (length >= 1 && length <= kMaxIrLength) return "";
  return ir_length_outside(std::to_string(length));
}

std::string ir_length_problem(std::string_view digits) {
  const std::size_t first = std::min(digits.find_first_not_of('0'), digits.size());
  const std::string_view significant = digits.substr(first);
  // A number of more than four significant digits is past 1024 whatever its digits are.
  if (significant.size() <= 4) return ir_length_problem(decimal_value(significant));
  return ir_length_outside(significant);
}

std::int64_t decimal_value(std::string_view digits) {
  std::int64_t value = 0;
  for (const char c : digits) value = value * 10 + (c - '0');
  return value;
}

}  // namespace kvr

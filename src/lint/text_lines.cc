#include "lint/text_lines.h"

#include <algorithm>
#include <cstring>

namespace kvr {
namespace {

constexpr std::size_t kMostRead = 4135;  // a line's bytes, its LF included
constexpr char kEndOfText = 0x1A;

}  // namespace

TextLines text_lines(std::string_view text) {
  TextLines lines;
  lines.end = std::min(text.find(kEndOfText), text.size());
  for (std::size_t at = 0; at < lines.end;) {
    const std::string_view rest = text.substr(at, std::min(lines.end - at, kMostRead));
    std::size_t taken = rest.size();
    if (const std::size_t newline = rest.find('\n'); newline != std::string_view::npos) {
      taken = newline + 1;
    }
    const std::string_view read = rest.substr(0, taken);
    std::size_t length = std::min(read.find('\0'), taken);
    bool too_long = false;
    if (length >= 2 && read[length - 1] == '\n' && read[length - 2] == '\r') {
      length -= 2;
    } else if (length == kMostRead && read[length - 1] == '\r' && at + taken < lines.end &&
               text[at + taken] == '\n') {
      ++taken;  // the read stopped between a carriage return and its newline
      length -= 1;
    } else if (length > 0 && read[length - 1] == '\n') {
      length -= 1;
    } else if (length == kMostRead) {
      too_long = true;
    }
    lines.lines.push_back(
        {at, static_cast<std::uint32_t>(taken), static_cast<std::uint32_t>(length), too_long});
    at += taken;
  }
  return lines;
}

std::string_view line_text(std::string_view text, const TextLines& lines, std::uint32_t full_line) {
  if (full_line == 0 || full_line > lines.lines.size()) return {};
  const TextLine& line = lines.lines[full_line - 1];
  std::string_view shown = text.substr(line.offset, line.length);
  if (shown.ends_with('\r')) shown.remove_suffix(1);
  return shown;
}

SourceRange range_of(const TextLines& lines, std::uint32_t full_line, std::uint32_t column,
                     std::uint32_t end_column) {
  SourceRange range;
  range.full_line = full_line;
  range.line = full_line & 0xFFFF;
  range.column = column;
  range.end_column = std::max(column, end_column);
  if (full_line == 0) return range;
  if (full_line <= lines.lines.size()) {
    range.offset = lines.lines[full_line - 1].offset + column;
  } else {
    range.offset = lines.end + column;
  }
  return range;
}

SourceRange range_at_offset(const TextLines& lines, std::size_t offset, std::size_t length) {
  const auto after =
      std::upper_bound(lines.lines.begin(), lines.lines.end(), offset,
                       [](std::size_t at, const TextLine& line) { return at < line.offset; });
  if (after == lines.lines.begin()) return range_of(lines, 1, 0, 0);
  const auto full_line = static_cast<std::uint32_t>(after - lines.lines.begin());
  const auto column = static_cast<std::uint32_t>(offset - (after - 1)->offset);
  return range_of(lines, full_line, column, column + static_cast<std::uint32_t>(length));
}

}  // namespace kvr

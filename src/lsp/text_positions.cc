#include "lsp/text_positions.h"

#include <algorithm>

#include "base/utf8.h"

namespace kvr::lsp {
namespace {

std::vector<std::size_t> client_line_starts(std::string_view text) {
  std::vector<std::size_t> starts{0};
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '\n') {
      starts.push_back(at + 1);
    } else if (c == '\r') {
      if (at + 1 < text.size() && text[at + 1] == '\n') ++at;
      starts.push_back(at + 1);
    }
  }
  return starts;
}

}  // namespace

std::uint32_t units_between(std::string_view text, std::size_t begin, std::size_t end,
                            Encoding encoding) {
  if (encoding == Encoding::kUtf8) return static_cast<std::uint32_t>(end - begin);
  std::uint32_t units = 0;
  for (std::size_t at = begin; at < end;) {
    const Utf8Sequence s = utf8_sequence_at(text, at);
    at += s.bytes;
    units += s.utf16_units;
  }
  return units;
}

ClientLines::ClientLines(std::string_view text) : text_(text), starts_(client_line_starts(text)) {
  for (std::size_t line = 0; line < starts_.size(); ++line) {
    const std::size_t begin = starts_[line], end = line_end(line);
    if (end - begin <= kMarkStep) continue;
    std::uint32_t units = 0;
    for (std::size_t at = begin, next = begin + kMarkStep; at < end;) {
      if (at >= next) {
        marks_.push_back({at, units});
        next = at + kMarkStep;
      }
      const Utf8Sequence s = utf8_sequence_at(text_, at);
      at += s.bytes;
      units += s.utf16_units;
    }
  }
}

ClientLines::Mark ClientLines::mark_before(std::size_t line, std::size_t offset) const {
  const Mark start{starts_[line], 0};
  const auto after = std::upper_bound(marks_.begin(), marks_.end(), offset,
                                      [](std::size_t at, const Mark& m) { return at < m.offset; });
  return after == marks_.begin() || (after - 1)->offset < start.offset ? start : *(after - 1);
}

ClientLines::Mark ClientLines::mark_before_unit(std::size_t line, std::uint32_t character) const {
  const Mark start{starts_[line], 0};
  const auto by_offset = [](const Mark& m, std::size_t at) { return m.offset < at; };
  const auto first = std::lower_bound(marks_.begin(), marks_.end(), start.offset, by_offset);
  const auto last = std::lower_bound(first, marks_.end(), line_end(line), by_offset);
  const auto after = std::upper_bound(
      first, last, character, [](std::uint32_t units, const Mark& m) { return units < m.units; });
  return after == first ? start : *(after - 1);
}

std::size_t ClientLines::line_end(std::size_t line) const {
  if (line + 1 >= starts_.size()) return text_.size();
  std::size_t end = starts_[line + 1];
  if (end > 0 && text_[end - 1] == '\n') --end;
  if (end > starts_[line] && text_[end - 1] == '\r') --end;
  return end;
}

std::size_t ClientLines::offset_of(const Position& position, Encoding encoding) const {
  if (position.line >= starts_.size()) return text_.size();
  const std::size_t end = line_end(position.line);
  if (encoding == Encoding::kUtf8)
    return std::min(end, starts_[position.line] + position.character);
  const Mark from = mark_before_unit(position.line, position.character);
  std::size_t at = from.offset;
  for (std::uint32_t units = from.units; at < end;) {
    const Utf8Sequence s = utf8_sequence_at(text_, at);
    if (units + s.utf16_units > position.character) break;
    units += s.utf16_units;
    at += s.bytes;
  }
  return std::min(at, end);
}

Position ClientLines::position_of(std::size_t offset, Encoding encoding) const {
  offset = std::min(offset, text_.size());
  const auto after = std::upper_bound(starts_.begin(), starts_.end(), offset);
  const auto line = static_cast<std::size_t>(after - starts_.begin() - 1);
  const std::size_t end = std::min(offset, line_end(line));
  if (encoding == Encoding::kUtf8) {
    return {static_cast<std::uint32_t>(line), static_cast<std::uint32_t>(end - starts_[line])};
  }
  const Mark from = mark_before(line, end);
  return {static_cast<std::uint32_t>(line),
          from.units + units_between(text_, from.offset, end, encoding)};
}

Position PositionCursor::at(std::size_t offset) {
  offset = std::min(offset, lines_.text().size());
  if (offset < offset_) return lines_.position_of(offset, encoding_);
  while (line_ + 1 < lines_.line_count() && lines_.line_begin(line_ + 1) <= offset) {
    ++line_;
    offset_ = lines_.line_begin(line_);
    character_ = 0;
  }
  const std::size_t end = std::min(offset, lines_.line_end(line_));
  if (end > offset_) {
    character_ += units_between(lines_.text(), offset_, end, encoding_);
    offset_ = end;
  }
  return {static_cast<std::uint32_t>(line_), character_};
}

}  // namespace kvr::lsp

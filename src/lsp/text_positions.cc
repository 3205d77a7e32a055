#include "lsp/text_positions.h"

#include <algorithm>

namespace kvr::lsp {
namespace {

// The bytes of the UTF-8 sequence that starts at `at` (1 for a byte that starts none) and the
// UTF-16 code units it stands for.
struct Sequence {
  std::size_t bytes;
  std::uint32_t units;
};

Sequence sequence_at(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  std::size_t length = lead < 0x80                    ? 1
                       : lead >= 0xC2 && lead <= 0xDF ? 2
                       : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                      : 0;
  if (length <= 1 || at + length > text.size()) return {1, 1};
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return {1, 1};
  }
  // Overlong and out-of-range forms are bytes of their own, as a decoder replaces them.
  const unsigned char second = byte(at + 1);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
    return {1, 1};
  }
  return {length, length == 4 ? 2u : 1u};
}

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
    const Sequence s = sequence_at(text, at);
    at += s.bytes;
    units += s.units;
  }
  return units;
}

ClientLines::ClientLines(std::string_view text) : text_(text), starts_(client_line_starts(text)) {}

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
  std::size_t at = starts_[position.line];
  if (encoding == Encoding::kUtf8) return std::min(end, at + position.character);
  for (std::uint32_t units = 0; at < end;) {
    const Sequence s = sequence_at(text_, at);
    if (units + s.units > position.character) break;
    units += s.units;
    at += s.bytes;
  }
  return std::min(at, end);
}

Position ClientLines::position_of(std::size_t offset, Encoding encoding) const {
  offset = std::min(offset, text_.size());
  const auto after = std::upper_bound(starts_.begin(), starts_.end(), offset);
  const auto line = static_cast<std::size_t>(after - starts_.begin() - 1);
  const std::size_t end = std::min(offset, line_end(line));
  return {static_cast<std::uint32_t>(line), units_between(text_, starts_[line], end, encoding)};
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

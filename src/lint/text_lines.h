// The lines of a board configuration file exactly as kvrbuild's reader reads them, with where each
// stands in the file: a line ends after its LF, or after 4135 bytes without one (a line too long,
// whose rest is read as the next line); its text ends at its first zero byte; a CR right before
// its LF is dropped; a Ctrl-Z ends the text. Places in the file (line and column) and byte offsets
// are turned into each other through them.
#ifndef KVR_LINT_TEXT_LINES_H_
#define KVR_LINT_TEXT_LINES_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "lint/diagnostics.h"

namespace kvr {

struct TextLine {
  std::size_t offset = 0;    // where the line begins in the file
  std::uint32_t taken = 0;   // the bytes the reader takes for it, its line end included
  std::uint32_t length = 0;  // the bytes of its text: before its first zero byte and its line end
  bool too_long = false;     // 4135 bytes without a line end: kvrbuild stops there (-356)
};

struct TextLines {
  std::vector<TextLine> lines;  // lines[0] is line 1
  std::size_t end = 0;          // where the text ends: the size of the file, or its first Ctrl-Z
};

// Throws std::bad_alloc.
TextLines text_lines(std::string_view text);

// The text of line `full_line` (1 for the first), as the terminal shows it: up to its first zero
// byte, without its line end; empty past the last line.
std::string_view line_text(std::string_view text, const TextLines& lines, std::uint32_t full_line);

// The range of the bytes [column, end_column) of line `full_line`; a line past the last is taken as
// an empty line after it.
SourceRange range_of(const TextLines& lines, std::uint32_t full_line, std::uint32_t column,
                     std::uint32_t end_column);

// The range of the `length` bytes at `offset`, which stand on one line.
SourceRange range_at_offset(const TextLines& lines, std::size_t offset, std::size_t length);

}  // namespace kvr

#endif  // KVR_LINT_TEXT_LINES_H_

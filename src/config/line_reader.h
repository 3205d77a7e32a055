// Reading a board configuration file one line at a time, and skipping blanks and comments.
//
// A line holds at most 4134 characters before its newline; a read takes up to 4135 characters
// and stops after a newline, as a text stream's line read does, and the line ends at its first
// zero byte. A carriage return right before the newline is dropped, so a file with CR LF line
// ends reads like one with LF alone, and a Ctrl-Z (0x1A) ends the text: on every system a file
// reads as a text stream reads it where the format comes from. The four blanks are space, tab, line
// feed and carriage return; every other character, control characters included, belongs to a token.
// Wherever the next token is looked for, a ';' ends the useful part of the line.
#ifndef KVR_CONFIG_LINE_READER_H_
#define KVR_CONFIG_LINE_READER_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "base/ascii.h"
#include "base/status.h"

namespace kvr {

// The current line, shared by the parser and its token routines.
struct LineState {
  static constexpr std::size_t kBufferSize = 4136;  // 4135 characters and a zero byte
  static constexpr std::size_t kMaxRead = kBufferSize - 1;

  char buffer[kBufferSize] = {};  // the line as read, with its newline when it had one
  std::uint16_t column = 0;       // index of the next character to examine
  std::uint16_t line_number = 0;  // 1 for the first line; wraps after 65535
  std::uint16_t length = 0;       // characters before the first zero byte
  std::uint32_t line_count = 0;   // lines read, counted without wrapping
};

// Where the lines come from (a stream, or without one the text in memory) and where the verbose
// echo of each line goes.
struct LineSource {
  std::FILE* stream = nullptr;
  std::uint16_t verbose = 0;
  std::FILE* echo = nullptr;  // standard output of the run (possibly redirected)
  std::string_view text = {};
};

// Reads a stream's lines from blocks of it held in memory, so that each byte is read once.
class LineReader {
 public:
  explicit LineReader(const LineSource& source);  // throws std::bad_alloc

  // Reads the next line. -354 when nothing can be read, -356 when 4135 characters were read
  // without a newline (the line is echoed first in verbose mode).
  Status read_line(LineState& line);

  // Moves `column` to the first character of the next token, reading lines as needed.
  Status skip_blanks(LineState& line) {
    const char c = line.buffer[line.column];
    const bool at_token = c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != ';';
    return line.column < line.length && at_token ? kStatusOk : skip_to_token(line);
  }

 private:
  static constexpr std::size_t kBlockBytes = std::size_t{1} << 18;
  // Makes at least `wanted` bytes available, unless the stream ends first; false when none are.
  bool fill(std::size_t wanted);
  Status skip_to_token(LineState& line);
  // The first zero byte from `from` on, or `end_`.
  std::size_t first_zero(std::size_t from) const;
  // Up to `size` more bytes of the source into `to`; their count, 0 at its end.
  std::size_t read_more(char* to, std::size_t size);

  LineSource source_;
  std::unique_ptr<char[]> block_;
  std::size_t begin_ = 0, end_ = 0;  // the bytes read from the stream but not yet taken
  // The first zero byte at or after `begin_`, or at least `end_` while none is known to be there:
  // zero bytes are looked for once a block, not once a line.
  std::size_t zero_ = 0;
  bool at_end_ = false;
};

// The lines `numbers` of `source` (1 for the first, counted without wrapping) exactly as the reader
// reads them: each up to its first zero byte, at most 4135 characters, a Ctrl-Z ending the text,
// without its line end; a line past the last is empty. Reads the source once from where it
// stands, and echoes nothing. Throws std::bad_alloc.
std::map<std::uint32_t, std::string> lines_as_read(LineSource source,
                                                   const std::set<std::uint32_t>& numbers);

// A name token of a variable ("[name]") or a device ("\"name\""): what closes it, its longest
// length, and the status of each fault.
struct NameRules {
  char close;
  std::size_t longest;
  Status empty, too_long, invalid;
};

// Measures the name that starts at `text`: a letter, then letters, digits or '_', up to
// `rules.close`. The checks run in this order so that one character too many is "too long"
// whatever it is, and a line that ends before the closing character meets an invalid character.
// Every statement has a name, so this is defined here, one table look-up a character.
inline Status measure_name(const char* text, const NameRules& rules, std::size_t& length) {
  static constexpr auto kKinds = [] {  // 1: a letter, 2: a letter, a digit or '_'
    std::array<std::uint8_t, 256> kinds{};
    for (int c = 0; c < 256; ++c) {
      const auto ch = static_cast<char>(c);
      kinds[static_cast<std::size_t>(c)] = (is_letter(ch) ? 1 : 0) | (is_name_char(ch) ? 2 : 0);
    }
    return kinds;
  }();
  const char close = rules.close;
  const std::size_t longest = rules.longest;
  const auto kind = [&](std::size_t at) { return kKinds[static_cast<unsigned char>(text[at])]; };
  std::size_t n = 0;
  Status status = kStatusOk;
  if (text[0] == close) {
    status = rules.empty;
  } else if ((kind(0) & 1) == 0) {
    status = rules.invalid;
  } else {
    for (n = 1; text[n] != close; ++n) {
      if (n == longest) {
        status = rules.too_long;
        break;
      }
      if ((kind(n) & 2) == 0) {
        status = rules.invalid;
        break;
      }
    }
  }
  length = n;
  return status;
}

}  // namespace kvr

#endif  // KVR_CONFIG_LINE_READER_H_

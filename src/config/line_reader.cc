#include "config/line_reader.h"

#include <cstring>

namespace kvr {
namespace {

#if defined(_POSIX_C_SOURCE) || defined(__unix__)
// The stream is used by one thread only; the unlocked form keeps the byte-at-a-time read cheap.
inline int next_char(std::FILE* stream) {
  return getc_unlocked(stream);
}
#else
inline int next_char(std::FILE* stream) {
  return std::getc(stream);
}
#endif

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

void reset_line_state(LineState& line) {
  line.buffer[0] = '\0';
  line.column = 0;
  line.line_number = 0;
  line.length = 0;
}

Status read_line(LineState& line, const LineSource& source) {
  // A line-oriented read of at most 4135 characters that stops after a newline. A carriage return
  // right before the newline is dropped, as a text-mode stream does where the format comes from,
  // so a file written with CR LF line ends reads the same as one written with LF alone.
  std::size_t count = 0;
  while (count < LineState::kMaxRead) {
    int c = next_char(source.stream);
    if (c == EOF) break;
    if (c == '\r') {
      int following = next_char(source.stream);
      if (following == '\n') {
        c = '\n';
      } else if (following != EOF) {
        std::ungetc(following, source.stream);
      }
    }
    line.buffer[count++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  if (count == 0) return kStatusUnexpectedEnd;
  line.buffer[count] = '\0';

  ++line.line_number;
  line.column = 0;
  // Like the text read it stands for, the line ends at its first zero byte.
  line.length = static_cast<std::uint16_t>(std::strlen(line.buffer));

  if (source.verbose != 0 && source.echo != nullptr) {
    std::fprintf(source.echo, "%06d %s", static_cast<int>(line.line_number), line.buffer);
    std::fflush(source.echo);
  }
  if (line.length == LineState::kMaxRead && line.buffer[line.length - 1] != '\n') {
    return kStatusLineTooLong;
  }
  return kStatusOk;
}

Status skip_blanks(LineState& line, const LineSource& source) {
  for (;;) {
    while (line.column < line.length) {
      char c = line.buffer[line.column];
      if (c == ';') {
        line.column = line.length;  // the rest of the line is a comment
      } else if (is_blank(c)) {
        ++line.column;
      } else {
        return kStatusOk;
      }
    }
    if (Status status = read_line(line, source); status != kStatusOk) return status;
  }
}

}  // namespace kvr

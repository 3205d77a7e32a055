#include "config/line_reader.h"

#include <cstring>

#include "base/ascii.h"

namespace kvr {
namespace {

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

Status read_line(LineState& line, const LineSource& source) {
  // A line-oriented read of at most 4135 characters that stops after a newline. A carriage return
  // right before the newline is dropped, as a text-mode stream does where the format comes from,
  // so a file written with CR LF line ends reads the same as one written with LF alone.
  if (std::fgets(line.buffer, LineState::kBufferSize, source.stream) == nullptr) {
    return kStatusUnexpectedEnd;
  }
  // Like the text read it stands for, the line ends at its first zero byte.
  std::size_t length = std::strlen(line.buffer);
  if (length >= 2 && line.buffer[length - 1] == '\n' && line.buffer[length - 2] == '\r') {
    line.buffer[length - 2] = '\n';
    line.buffer[--length] = '\0';
  } else if (length == LineState::kMaxRead && line.buffer[length - 1] == '\r') {
    // The read stopped between a carriage return and, maybe, its newline.
    int following = std::getc(source.stream);
    if (following == '\n') {
      line.buffer[length - 1] = '\n';
    } else if (following != EOF) {
      std::ungetc(following, source.stream);
    }
  }

  ++line.line_number;
  line.column = 0;
  line.length = static_cast<std::uint16_t>(length);

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

Status measure_name(const char* text, const NameRules& rules, std::size_t& length) {
  for (length = 0; text[length] != rules.close; ++length) {
    if (length == rules.longest) return rules.too_long;
    if (!(length == 0 ? is_letter(text[length]) : is_name_char(text[length]))) return rules.invalid;
  }
  return length == 0 ? rules.empty : kStatusOk;
}

}  // namespace kvr

#include "config/line_reader.h"

#include <algorithm>
#include <cstring>

#include "base/ascii.h"

namespace kvr {
namespace {

constexpr char kEndOfText = 0x1A;

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

LineReader::LineReader(const LineSource& source) : source_(source), block_(new char[kBlockBytes]) {}

bool LineReader::fill(std::size_t wanted) {
  if (end_ - begin_ < wanted && !at_end_) {
    std::memmove(block_.get(), block_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    zero_ -= begin_;
    begin_ = 0;
    while (end_ < kBlockBytes && !at_end_) {
      char* const fresh = block_.get() + end_;
      const std::size_t got = read_more(fresh, kBlockBytes - end_);
      const bool no_zero_yet = zero_ >= end_;
      end_ += got;
      at_end_ = got == 0;
      if (no_zero_yet) zero_ = first_zero(end_ - got);
      // A Ctrl-Z ends the text, as a text stream of the systems the format comes from ends it.
      if (const void* stop = std::memchr(fresh, kEndOfText, got)) {
        end_ = static_cast<std::size_t>(static_cast<const char*>(stop) - block_.get());
        at_end_ = true;
      }
    }
  }
  return end_ > begin_;
}

std::size_t LineReader::first_zero(std::size_t from) const {
  const void* zero = std::memchr(block_.get() + from, '\0', end_ - from);
  return zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - block_.get())
                         : end_;
}

std::size_t LineReader::read_more(char* to, std::size_t size) {
  if (source_.stream != nullptr) return std::fread(to, 1, size, source_.stream);
  const std::string_view taken = source_.text.substr(0, size);
  std::memcpy(to, taken.data(), taken.size());
  source_.text.remove_prefix(taken.size());
  return taken.size();
}

Status LineReader::read_line(LineState& line) {
  // Less than a longest line left: read more first, unless the source has ended.
  if (end_ - begin_ <= LineState::kMaxRead && !fill(LineState::kMaxRead + 1)) {
    return kStatusUnexpectedEnd;
  }
  // One line-oriented read: up to 4135 characters, stopping after a newline.
  const char* start = block_.get() + begin_;
  std::size_t taken = std::min(end_ - begin_, LineState::kMaxRead);
  if (const void* newline = std::memchr(start, '\n', taken)) {
    taken = static_cast<std::size_t>(static_cast<const char*>(newline) - start) + 1;
  }
  // The line ends at its first zero byte.
  std::size_t length = zero_ < begin_ + taken ? zero_ - begin_ : taken;
  std::memcpy(line.buffer, start, taken);
  line.buffer[taken] = '\0';
  begin_ += taken;
  if (zero_ < begin_) zero_ = first_zero(begin_);
  if (length >= 2 && line.buffer[length - 1] == '\n' && line.buffer[length - 2] == '\r') {
    line.buffer[length - 2] = '\n';
    line.buffer[--length] = '\0';
  } else if (length == LineState::kMaxRead && line.buffer[length - 1] == '\r' && fill(1) &&
             block_[begin_] == '\n') {
    // The read stopped between a carriage return and its newline.
    line.buffer[length - 1] = '\n';
    ++begin_;
  }
  ++line.line_number;
  ++line.line_count;
  line.column = 0;
  line.length = static_cast<std::uint16_t>(length);

  if (source_.verbose != 0 && source_.echo != nullptr) {
    std::fprintf(source_.echo, "%06d %s", static_cast<int>(line.line_number), line.buffer);
    std::fflush(source_.echo);
  }
  if (length == LineState::kMaxRead && line.buffer[length - 1] != '\n') return kStatusLineTooLong;
  return kStatusOk;
}

Status LineReader::skip_to_token(LineState& line) {
  for (;;) {
    std::size_t column = line.column;  // a local, not stored again after every blank
    while (column < line.length && is_blank(line.buffer[column])) ++column;
    if (column < line.length && line.buffer[column] != ';') {
      line.column = static_cast<std::uint16_t>(column);
      return kStatusOk;
    }
    line.column = line.length;  // the rest of the line is blank or a comment
    if (Status status = read_line(line); status != kStatusOk) return status;
  }
}

std::map<std::uint32_t, std::string> lines_as_read(LineSource source,
                                                   const std::set<std::uint32_t>& numbers) {
  std::map<std::uint32_t, std::string> lines;
  source.verbose = 0;
  LineReader reader(source);
  const auto line = std::make_unique<LineState>();
  for (const std::uint32_t number : numbers) {
    bool ended = false;
    while (!ended && line->line_count < number) {
      ended = reader.read_line(*line) == kStatusUnexpectedEnd;
    }
    std::string_view text(line->buffer, ended ? 0 : line->length);
    if (text.ends_with('\n')) text.remove_suffix(1);
    if (text.ends_with('\r')) text.remove_suffix(1);
    lines[number] = std::string(text);
  }
  return lines;
}

}  // namespace kvr

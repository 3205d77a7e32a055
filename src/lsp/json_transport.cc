#include "lsp/json_transport.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <optional>

namespace kvr::lsp {
namespace {

constexpr std::size_t kLongestHeaderLine = 1024;
constexpr std::size_t kBlock = std::size_t{1} << 20;
constexpr std::uint64_t kLargestLength = std::uint64_t{1} << 40;

// One header line without its line end; false at the end of the stream.
bool read_header_line(std::istream& in, std::string& line) {
  line.clear();
  for (int c; (c = in.get()) != std::char_traits<char>::eof();) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    if (line.size() < kLongestHeaderLine) line.push_back(static_cast<char>(c));
  }
  return false;
}

bool same_letters(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

// The value of a "Content-Length: N" line, or nothing.
std::optional<std::uint64_t> content_length(std::string_view line) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos || !same_letters(line.substr(0, colon), "Content-Length")) {
    return std::nullopt;
  }
  std::string_view value = line.substr(colon + 1);
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  if (value.empty()) return std::nullopt;
  std::uint64_t length = 0;
  for (const char c : value) {
    if (c < '0' || c > '9' || length > kLargestLength) return std::nullopt;
    length = length * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return length;
}

// Reads `length` bytes into `body`, a block at a time; passes over the rest once memory fails.
FrameStatus read_body(std::istream& in, std::uint64_t length, std::string& body) {
  body.clear();
  bool held = true;
  for (std::uint64_t left = length; left > 0;) {
    const std::size_t block = static_cast<std::size_t>(std::min<std::uint64_t>(left, kBlock));
    if (held) {
      try {
        const std::size_t have = body.size();
        body.resize(have + block);
        in.read(body.data() + have, static_cast<std::streamsize>(block));
        body.resize(have + static_cast<std::size_t>(in.gcount()));
      } catch (const std::bad_alloc&) {
        held = false;
        std::string().swap(body);
        in.ignore(static_cast<std::streamsize>(block));
      }
    } else {
      in.ignore(static_cast<std::streamsize>(block));
    }
    if (static_cast<std::uint64_t>(in.gcount()) < block) return FrameStatus::kEnd;
    left -= block;
  }
  return held ? FrameStatus::kMessage : FrameStatus::kTooLarge;
}

}  // namespace

FrameStatus read_frame(std::istream& in, std::string& body) {
  std::string line;
  std::optional<std::uint64_t> length;
  bool any_line = false;
  while (read_header_line(in, line)) {
    if (line.empty()) {
      if (!any_line) continue;  // blank lines between messages
      if (!length) return FrameStatus::kBadHeader;
      return read_body(in, *length, body);
    }
    any_line = true;
    if (const std::optional<std::uint64_t> value = content_length(line)) length = value;
  }
  return FrameStatus::kEnd;
}

bool write_frame(std::ostream& out, std::string_view body) {
  out << "Content-Length: " << body.size() << "\r\n\r\n";
  out.write(body.data(), static_cast<std::streamsize>(body.size()));
  out.flush();
  return static_cast<bool>(out);
}

}  // namespace kvr::lsp

#include "lsp/board_outline.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace kvr::lsp {
namespace {

constexpr char kEndOfText = 0x1A;

bool blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool is_linker_class(std::string_view id) {
  return id.size() == 3 && (id[0] | 0x20) == 's' && (id[1] | 0x20) == 'p' && (id[2] | 0x20) == 'l';
}

class Reader {
 public:
  Reader(std::string_view text, std::uint8_t version, BoardOutline& outline)
      : text_(text), outline_(outline) {
    const std::size_t limit =
        std::min<std::size_t>(text.size(), std::numeric_limits<std::uint32_t>::max());
    const void* stop = std::memchr(text.data(), kEndOfText, limit);
    end_ = stop != nullptr ? static_cast<std::size_t>(static_cast<const char*>(stop) - text.data())
                           : limit;
    start_line(0);
    if (version == 2) label_line();
  }

  void read() {
    while (next_token()) {
      switch (expect_) {
        case Expect::kValue:
          value();
          break;
        case Expect::kClassId:
          class_id();
          break;
        case Expect::kStatement:
          statement();
          break;
      }
    }
  }

 private:
  enum class Expect { kStatement, kValue, kClassId };

  // The line that begins at `at`: where its content ends (its first zero byte or its LF) and
  // where the next line begins.
  void start_line(std::size_t at) {
    at_ = at;
    const std::size_t left = end_ - std::min(at, end_);
    const void* newline = std::memchr(text_.data() + at_, '\n', left);
    next_line_ =
        newline != nullptr
            ? static_cast<std::size_t>(static_cast<const char*>(newline) - text_.data()) + 1
            : end_;
    const std::size_t content = newline != nullptr ? next_line_ - 1 : end_;
    const void* zero = std::memchr(text_.data() + at_, '\0', content - at_);
    line_end_ = zero != nullptr
                    ? static_cast<std::size_t>(static_cast<const char*>(zero) - text_.data())
                    : content;
  }

  void add(std::size_t begin, std::size_t end, TokenKind kind) {
    outline_.tokens.push_back(
        {static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(end), kind});
  }

  // The comment from `at` to the end of the line, less a CR before its LF.
  void comment(std::size_t at) {
    std::size_t end = line_end_;
    while (end > at && text_[end - 1] == '\r') --end;
    if (end > at) add(at, end, TokenKind::kComment);
  }

  void label_line() {
    const std::size_t label = std::min(at_ + 8, line_end_);
    if (label > at_) add(at_, label, TokenKind::kLabel);
    comment(label);
    start_line(next_line_);
  }

  // Moves to the next token, past blanks, comments and line ends; false at the end of the text.
  bool next_token() {
    for (;;) {
      while (at_ < line_end_ && blank(text_[at_])) ++at_;
      if (at_ < line_end_ && text_[at_] != ';') return true;
      if (at_ < line_end_) comment(at_);
      if (next_line_ >= end_) return false;
      start_line(next_line_);
    }
  }

  // The end of a token that runs to a blank, ';' or the line end.
  std::size_t word_end(std::size_t from) const {
    while (from < line_end_ && !blank(text_[from]) && text_[from] != ';') ++from;
    return from;
  }

  // The end of a name that `close` ends: past `close` when it comes before a blank or ';'.
  std::size_t name_end(std::size_t from, char close) const {
    for (++from; from < line_end_; ++from) {
      const char c = text_[from];
      if (c == close) return from + 1;
      if (blank(c) || c == ';') break;
    }
    return from;
  }

  void statement() {
    const char c = text_[at_];
    if (c == '[') {
      const std::size_t end = name_end(at_, ']');
      outline_.variables.push_back({outline_.tokens.size(), kNone});
      add(at_, end, TokenKind::kVariableName);
      at_ = end;
      expect_ = Expect::kValue;
    } else if (c == '"') {
      const std::size_t end = name_end(at_, '"');
      device(end);
    } else if (c == '{' || c == '}') {
      brace(c);
    } else {
      const std::size_t end = word_end(at_);
      add(at_, end, TokenKind::kOther);
      at_ = end;
    }
  }

  void device(std::size_t end) {
    OutlineDevice device;
    device.name = outline_.tokens.size();
    if (linker_ != kNone && in_group_) {
      device.parent = linker_;
      device.sub_path = groups_seen_;
    } else {
      linker_ = kNone;  // a linker's groups end where a device stands outside them
    }
    outline_.devices.push_back(device);
    add(at_, end, TokenKind::kDeviceName);
    at_ = end;
    expect_ = Expect::kClassId;
  }

  void brace(char c) {
    const std::size_t index = outline_.tokens.size();
    add(at_, at_ + 1, c == '{' ? TokenKind::kOpenBrace : TokenKind::kCloseBrace);
    ++at_;
    if (linker_ == kNone) return;
    OutlineGroup& group = outline_.devices[linker_].groups[groups_seen_];
    if (c == '{' && !in_group_) {
      group.open = index;
      in_group_ = true;
    } else if (c == '}' && in_group_) {
      group.close = index;
      in_group_ = false;
      if (++groups_seen_ == 4) linker_ = kNone;
    }
  }

  void value() {
    std::size_t end;
    if (text_[at_] == '\'') {
      end = at_ + 1;
      while (end < line_end_ && text_[end] != '\'') ++end;
      end = std::min(end + 1, line_end_);
    } else {
      end = at_;
      while (end < line_end_ && text_[end] != ';' && text_[end] != '\r' && text_[end] != '\n')
        ++end;
      while (end > at_ && (text_[end - 1] == ' ' || text_[end - 1] == '\t')) --end;
    }
    outline_.variables.back().value = outline_.tokens.size();
    add(at_, end, TokenKind::kValue);
    at_ = end;
    expect_ = Expect::kStatement;
  }

  void class_id() {
    const std::size_t end = word_end(at_);
    OutlineDevice& device = outline_.devices.back();
    device.class_id = outline_.tokens.size();
    add(at_, end, TokenKind::kClassId);
    if (device.parent == kNone && is_linker_class(text_.substr(at_, end - at_))) {
      device.linker = true;
      linker_ = outline_.devices.size() - 1;
      groups_seen_ = 0;
      in_group_ = false;
    }
    at_ = end;
    expect_ = Expect::kStatement;
  }

  std::string_view text_;
  BoardOutline& outline_;
  std::size_t end_ = 0;  // the end of the text: its first Ctrl-Z, or its end
  std::size_t at_ = 0, line_end_ = 0, next_line_ = 0;
  Expect expect_ = Expect::kStatement;
  std::size_t linker_ = kNone;  // the linker whose groups are being read
  std::uint32_t groups_seen_ = 0;
  bool in_group_ = false;
};

}  // namespace

BoardOutline board_outline(std::string_view text, std::uint8_t version) {
  BoardOutline outline;
  Reader(text, version, outline).read();
  return outline;
}

std::size_t token_at(const BoardOutline& outline, std::size_t offset) {
  const std::vector<Token>& tokens = outline.tokens;
  // The first token that ends at or after the offset.
  const auto found =
      std::lower_bound(tokens.begin(), tokens.end(), offset,
                       [](const Token& token, std::size_t at) { return token.end < at; });
  if (found == tokens.end() || found->begin > offset) return kNone;
  return static_cast<std::size_t>(found - tokens.begin());
}

namespace {

// The last statement whose first token comes at or before `token`, when `token` is one of its two.
template <typename Statement, typename Second>
std::size_t statement_of(const std::vector<Statement>& statements, std::size_t token,
                         std::size_t Statement::*first, Second second) {
  const auto after = std::upper_bound(
      statements.begin(), statements.end(), token,
      [&](std::size_t at, const Statement& statement) { return at < statement.*first; });
  if (after == statements.begin()) return kNone;
  const Statement& found = *(after - 1);
  if (found.*first != token && found.*second != token) return kNone;
  return static_cast<std::size_t>(after - statements.begin() - 1);
}

}  // namespace

std::size_t device_of_token(const BoardOutline& outline, std::size_t token) {
  return statement_of(outline.devices, token, &OutlineDevice::name, &OutlineDevice::class_id);
}

std::size_t variable_of_token(const BoardOutline& outline, std::size_t token) {
  return statement_of(outline.variables, token, &OutlineVariable::name, &OutlineVariable::value);
}

}  // namespace kvr::lsp

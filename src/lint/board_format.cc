#include "lint/board_format.h"

#include <algorithm>
#include <vector>

#include "base/ascii.h"
#include "config/board_config_parser.h"
#include "database/byte_sink.h"
#include "database/database_writer.h"
#include "database/format.h"
#include "lint/board_tokens.h"
#include "lint/parse_errors.h"

namespace kvr {
namespace {

constexpr std::size_t kLongestLine = 4134;
constexpr std::size_t kIndent = 2;

// A line of the formatted text.
struct OutLine {
  enum class Kind { kVariable, kDevice, kBrace, kComment, kBlank, kVerbatim } kind;
  std::size_t depth = 0;
  std::string head = {};     // "[NAME]", "\"name\"", a brace, a comment, or the verbatim line
  std::string tail = {};     // the value or the class ID
  std::string comment = {};  // a comment after the line
};

class Layout {
 public:
  Layout(std::string_view text, const BoardTokens& tokens) : text_(text), tokens_(tokens) {}

  std::vector<OutLine> lines() {
    const std::vector<BoardToken>& tokens = tokens_.tokens;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      const BoardToken& token = tokens[i];
      const std::string_view text = token_text(text_, token);
      switch (token.kind) {
        case TokenKind::kLabel:
          new_line(i,
                   {OutLine::Kind::kVerbatim, 0, std::string(line_text(text_, tokens_.lines, 1))});
          if (i + 1 < tokens.size() && tokens[i + 1].full_line == 1) ++i;  // its comment
          break;
        case TokenKind::kComment:
          comment(i, text);
          break;
        case TokenKind::kVariableName:
        case TokenKind::kDeviceName:
          new_line(i, {token.kind == TokenKind::kVariableName ? OutLine::Kind::kVariable
                                                              : OutLine::Kind::kDevice,
                       depth_, std::string(text)});
          break;
        case TokenKind::kValue:
        case TokenKind::kClassId:
          out_.back().tail = text;
          break;
        case TokenKind::kBrace:
          i = brace(i, text[0]);
          break;
        case TokenKind::kOther:
          break;  // a valid file has none
      }
      previous_ = i;
    }
    while (!out_.empty() && out_.back().kind == OutLine::Kind::kBlank) out_.pop_back();
    return std::move(out_);
  }

 private:
  // A line that token `i` begins, after one blank line where the file has one or more before it.
  void new_line(std::size_t i, OutLine line) {
    if (previous_ != kNoIndex && !out_.empty() && out_.back().kind != OutLine::Kind::kBlank &&
        tokens_.tokens[i].full_line > tokens_.tokens[previous_].full_line + 1) {
      out_.push_back({OutLine::Kind::kBlank});
    }
    out_.push_back(std::move(line));
  }

  void comment(std::size_t i, std::string_view text) {
    const bool after_token =
        previous_ != kNoIndex && tokens_.tokens[previous_].full_line == tokens_.tokens[i].full_line;
    if (!after_token || out_.empty() || out_.back().kind == OutLine::Kind::kComment ||
        out_.back().kind == OutLine::Kind::kVerbatim) {
      new_line(i, {OutLine::Kind::kComment, depth_, std::string(text)});
      return;
    }
    OutLine& last = out_.back();
    if (!last.comment.empty()) {
      // Two comments would end one line: the first goes on a line of its own before it.
      OutLine own{OutLine::Kind::kComment, last.depth, std::move(last.comment)};
      last.comment = text;
      out_.insert(out_.end() - 1, std::move(own));
      return;
    }
    last.comment = text;
  }

  // The brace at token `i`; returns the last token it takes.
  std::size_t brace(std::size_t i, char c) {
    const std::vector<BoardToken>& tokens = tokens_.tokens;
    if (c == '}') {
      depth_ = 0;
      new_line(i, {OutLine::Kind::kBrace, 0, "}"});
      return i;
    }
    if (i + 1 < tokens.size() && tokens[i + 1].kind == TokenKind::kBrace &&
        token_text(text_, tokens[i + 1])[0] == '}') {
      new_line(i, {OutLine::Kind::kBrace, 0, "{}"});
      return i + 1;
    }
    new_line(i, {OutLine::Kind::kBrace, 0, "{"});
    depth_ = 1;
    return i;
  }

  std::string_view text_;
  const BoardTokens& tokens_;
  std::vector<OutLine> out_;
  std::size_t depth_ = 0;
  std::size_t previous_ = kNoIndex;
};

std::string indent(std::size_t depth) {
  return std::string(depth * kIndent, ' ');
}

std::string line_body(const OutLine& line, std::size_t head_width) {
  std::string text = indent(line.depth) + line.head;
  if (line.kind == OutLine::Kind::kVariable || line.kind == OutLine::Kind::kDevice) {
    text.append(head_width > line.head.size() ? head_width - line.head.size() : 0, ' ');
    text += " " + line.tail;
  }
  return text;
}

bool alike(const OutLine& a, const OutLine& b) {
  const bool statement = a.kind == OutLine::Kind::kVariable || a.kind == OutLine::Kind::kDevice;
  return statement && a.kind == b.kind && a.depth == b.depth;
}

// The text of the lines: each run of like lines with its values or class IDs in one column and
// its comments in another, but a line the columns would make too long.
std::string text_of(std::vector<OutLine>& lines, const std::string& line_end) {
  // A comment that would make its line too long goes on a line of its own before it.
  std::vector<OutLine> spread;
  spread.reserve(lines.size());
  for (OutLine& line : lines) {
    if (!line.comment.empty() &&
        line_body(line, 0).size() + 1 + line.comment.size() > kLongestLine) {
      spread.push_back({OutLine::Kind::kComment, line.depth, std::move(line.comment)});
      line.comment.clear();
    }
    spread.push_back(std::move(line));
  }
  lines = std::move(spread);
  std::string text;
  for (std::size_t first = 0; first < lines.size();) {
    std::size_t end = first + 1;
    while (end < lines.size() && alike(lines[first], lines[end])) ++end;
    std::size_t head_width = 0, body_width = 0;
    for (std::size_t i = first; i < end; ++i)
      head_width = std::max(head_width, lines[i].head.size());
    for (std::size_t i = first; i < end; ++i) {
      body_width = std::max(body_width, line_body(lines[i], head_width).size());
    }
    for (std::size_t i = first; i < end; ++i) {
      const OutLine& line = lines[i];
      if (line.kind == OutLine::Kind::kBlank) {
        text += line_end;
        continue;
      }
      std::string shown = line.kind == OutLine::Kind::kComment ? indent(line.depth) + line.head
                                                               : line_body(line, head_width);
      if (!line.comment.empty()) {
        shown.append(body_width + 2 - shown.size(), ' ');
        shown += line.comment;
      }
      if (shown.size() > kLongestLine) {
        shown = line_body(line, 0) + (line.comment.empty() ? "" : " " + line.comment);
      }
      text += shown + line_end;
    }
    first = end;
  }
  return text;
}

// The database bytes of `text` in both versions, or nothing when it does not compile.
bool compile_both(std::string_view text, std::uint8_t version, std::string& bytes) {
  BoardModel model;
  ParseStop stop;
  if (parse_board_config(model, LineSource{nullptr, 0, nullptr, text}, nullptr, nullptr, version,
                         &stop) != kStatusOk) {
    return false;
  }
  for (const std::uint8_t v : {std::uint8_t{1}, std::uint8_t{2}}) {
    std::string one;
    MemorySink sink(one);
    const Status status = write_board_database(model, sink, v);
    bytes += std::to_string(status) + ":" + one;
  }
  return true;
}

// Why a text is left as it is, or nothing.
std::string refusal(std::string_view text, std::uint8_t version) {
  ParseStop stop;
  if (const Status status = parse_status(text, version, stop); status != kStatusOk) {
    return "line " + std::to_string(stop.line) + ": " + status_title(status);
  }
  if (text.find('\0') != std::string_view::npos) return "it holds a zero byte";
  if (text.find('\x1a') != std::string_view::npos) return "it holds a Ctrl-Z, which ends its text";
  for (std::size_t at = text.find('\r'); at != std::string_view::npos;
       at = text.find('\r', at + 1)) {
    if (at + 1 >= text.size() || text[at + 1] != '\n') {
      return "it holds a carriage return without a line feed";
    }
  }
  return "";
}

}  // namespace

FormatResult format_board_text(std::string_view text) {
  FormatResult result;
  const std::uint8_t version = config_version_of(text);
  result.reason = refusal(text, version);
  if (!result.reason.empty()) return result;
  const std::size_t newline = text.find('\n');
  const std::string line_end =
      newline != std::string_view::npos && newline > 0 && text[newline - 1] == '\r' ? "\r\n" : "\n";
  const BoardTokens tokens = lex_board_text(text, version);
  std::vector<OutLine> lines = Layout(text, tokens).lines();
  // In a version 1 file, a first comment that begins like the label keeps a blank before it.
  if (version == 1 && !lines.empty() && lines[0].kind == OutLine::Kind::kComment &&
      config_version_of(lines[0].head) == 2) {
    lines[0].head.insert(0, " ");
  }
  std::string formatted = text_of(lines, line_end);
  std::string before, after;
  if (config_version_of(formatted) != version || !compile_both(text, version, before) ||
      !compile_both(formatted, version, after) || before != after) {
    result.reason = "its layout would change what it compiles to";
    return result;
  }
  result.ok = true;
  result.text = std::move(formatted);
  return result;
}

}  // namespace kvr

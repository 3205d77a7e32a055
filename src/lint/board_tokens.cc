#include "lint/board_tokens.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "base/ascii.h"
#include "config/class_table.h"
#include "config/config_variables.h"
#include "config/device_classes.h"
#include "config/line_reader.h"
#include "database/format.h"

namespace kvr {
namespace {

constexpr std::uint32_t kMostGroups = 4;
constexpr std::size_t kMostClassId = 32;

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

class Lexer {
 public:
  Lexer(std::string_view text, std::uint8_t version, BoardTokens& out)
      : text_(text), version_(version), out_(out), line_(std::make_unique<LineState>()) {}

  void run() {
    out_.lines = text_lines(text_);
    for (std::size_t i = 0; i < out_.lines.lines.size(); ++i) {
      load(i);
      if (i == 0 && version_ != 1 && label_line()) continue;
      read_line_tokens();
    }
  }

 private:
  enum class State { kStatement, kValue, kClass, kGroupOpen, kInGroup };

  // The line as the reader puts it into its buffer.
  void load(std::size_t index) {
    line_index_ = index;
    const TextLine& line = out_.lines.lines[index];
    const std::size_t taken = std::min<std::size_t>(line.taken, LineState::kMaxRead);
    char* buffer = line_->buffer;
    std::memcpy(buffer, text_.data() + line.offset, taken);
    buffer[taken] = '\0';
    std::size_t length = std::min<std::size_t>(std::strlen(buffer), taken);
    if (length >= 2 && buffer[length - 1] == '\n' && buffer[length - 2] == '\r') {
      buffer[length - 2] = '\n';
      buffer[--length] = '\0';
    } else if (line.taken > LineState::kMaxRead) {
      buffer[length - 1] = '\n';  // the reader took the newline after a carriage return
    }
    line_->length = static_cast<std::uint16_t>(length);
    line_->column = 0;
  }

  // The label and the comment after it, on the first line of a version 2 file.
  bool label_line() {
    if (line_->length < format::kLabelLength ||
        equal_nocase_n(line_->buffer, format::kConfigLabel, format::kLabelLength) != 0) {
      return false;
    }
    push(TokenKind::kLabel, 0, format::kLabelLength);
    const std::size_t end = text_end();
    if (end > format::kLabelLength) push(TokenKind::kComment, format::kLabelLength, end);
    return true;
  }

  // The end of the line's text, without its newline.
  std::size_t text_end() const {
    std::size_t end = line_->length;
    if (end > 0 && line_->buffer[end - 1] == '\n') --end;
    return end;
  }

  void read_line_tokens() {
    const char* buffer = line_->buffer;
    std::size_t start = 0;
    if (line_index_ == 0 && std::string_view(buffer, line_->length).starts_with("\xEF\xBB\xBF")) {
      // A byte-order mark is no statement of its own, whatever follows it.
      open_statement(BoardStatement::Kind::kBroken);
      push_to_statement(TokenKind::kOther, 0, 3);
      statement_ = kNoIndex;
      start = 3;
    }
    for (std::size_t column = start;;) {
      while (column < line_->length && is_blank(buffer[column])) ++column;
      if (column >= line_->length) return;
      if (buffer[column] == ';') {
        push(TokenKind::kComment, column, text_end());
        return;
      }
      line_->column = static_cast<std::uint16_t>(column);
      while (!token(column)) {
      }
      column = line_->column;
    }
  }

  // Reads the token at `column` in the current state; false when the state changed without
  // taking it, to be read again.
  bool token(std::size_t column) {
    const char c = line_->buffer[column];
    switch (state_) {
      case State::kStatement:
        return statement_token(column, c);
      case State::kValue:
        return value_token(column, c);
      case State::kClass:
        class_token(column);
        return true;
      case State::kGroupOpen:
        if (c != '{') {
          end_linker();
          return false;
        }
        open_group(column);
        return true;
      case State::kInGroup:
        return group_token(column, c);
    }
    return true;
  }

  bool statement_token(std::size_t column, char c) {
    if (c == '[') {
      VariableName name{};
      open_statement(BoardStatement::Kind::kVariable);
      if (parse_variable_name(*line_, name) == kStatusOk) {
        push_to_statement(TokenKind::kVariableName, column, line_->column);
      } else {
        push_to_statement(TokenKind::kOther, column, bad_name_end(column, ']'));
      }
      name_line_ = line_index_;
      state_ = State::kValue;
    } else if (c == '"') {
      open_statement(BoardStatement::Kind::kDevice);
      device_name(column);
    } else if (c == '{') {
      open_statement(BoardStatement::Kind::kBroken);
      push_to_statement(TokenKind::kBrace, column, column + 1);
      linker_ = statement_;
      stray_group_ = true;
      group_ = 0;
      state_ = State::kInGroup;
    } else {
      open_statement(BoardStatement::Kind::kBroken);
      const bool brace = c == '}';
      push_to_statement(brace ? TokenKind::kBrace : TokenKind::kOther, column,
                        brace ? column + 1 : word_end(column));
      statement_ = kNoIndex;
    }
    return true;
  }

  void device_name(std::size_t column) {
    DeviceName name{};
    if (parse_device_name(*line_, name) == kStatusOk) {
      push_to_statement(TokenKind::kDeviceName, column, line_->column);
    } else {
      push_to_statement(TokenKind::kOther, column, bad_name_end(column, '"'));
    }
    state_ = State::kClass;
  }

  bool value_token(std::size_t column, char c) {
    std::string_view value;
    if (parse_variable_value(*line_, value) == kStatusOk) {
      push_to_statement(TokenKind::kValue, column, line_->column);
    } else if ((c == '[' || c == '"') && line_index_ != name_line_) {
      // No value on the name's line: the next statement was taken for one.
      statement_ = kNoIndex;
      state_ = State::kStatement;
      return false;
    } else {
      push_to_statement(TokenKind::kOther, column, bad_value_end(column));
    }
    statement_ = kNoIndex;
    state_ = State::kStatement;
    return true;
  }

  void class_token(std::size_t column) {
    std::size_t end = column;
    const char* buffer = line_->buffer;
    while (end < line_->length && !is_blank(buffer[end]) && buffer[end] != ';' &&
           buffer[end] != '\0') {
      ++end;
    }
    push_to_statement(TokenKind::kClassId, column, end);
    if (in_group_) {
      state_ = State::kInGroup;
      statement_ = kNoIndex;
      return;
    }
    state_ = State::kStatement;
    if (end - column <= kMostClassId) {
      const std::string upper = upper_cased(std::string_view(buffer + column, end - column));
      const FamilyRow& linker = family_table_for(version_)[kLinkerRow];
      std::uint32_t row = kNoFamilyRow;
      if (find_family_row(upper.c_str(), &row, version_) == kStatusOk &&
          same_first_chars(upper.c_str(), linker.type_name, linker.literal_length)) {
        out_.statements[statement_].kind = BoardStatement::Kind::kLinker;
        linker_ = statement_;
        stray_group_ = false;
        group_ = 0;
        state_ = State::kGroupOpen;
      }
    }
    statement_ = kNoIndex;
  }

  void open_group(std::size_t column) {
    BoardStatement& linker = out_.statements[linker_];
    linker.open[group_] = out_.tokens.size();
    linker.groups = group_ + 1;
    push_to(linker_, TokenKind::kBrace, column, column + 1);
    state_ = State::kInGroup;
  }

  bool group_token(std::size_t column, char c) {
    if (c == '}') {
      BoardStatement& linker = out_.statements[linker_];
      if (!stray_group_) linker.close[group_] = out_.tokens.size();
      push_to(linker_, TokenKind::kBrace, column, column + 1);
      if (stray_group_ || group_ + 1 == kMostGroups) {
        end_linker();
      } else {
        ++group_;
        state_ = State::kGroupOpen;
      }
      return true;
    }
    if (c == '"') {
      open_statement(BoardStatement::Kind::kDevice);
      in_group_ = true;
      device_name(column);
      return true;
    }
    if (c == '{' && !stray_group_ && group_ + 1 < kMostGroups) {
      ++group_;  // taken to close the group before it, whose '}' is missing
      open_group(column);
      return true;
    }
    if (c == '{' || c == '[') {
      end_linker();
      return false;
    }
    open_statement(BoardStatement::Kind::kBroken);
    push_to_statement(TokenKind::kOther, column, word_end(column));
    statement_ = kNoIndex;
    return true;
  }

  void end_linker() {
    linker_ = kNoIndex;
    stray_group_ = false;
    in_group_ = false;
    state_ = State::kStatement;
  }

  // A statement that begins with the next token; inside a group, one of that group.
  void open_statement(BoardStatement::Kind kind) {
    BoardStatement statement;
    statement.kind = kind;
    statement.first_token = statement.end_token = out_.tokens.size();
    in_group_ = state_ == State::kInGroup;
    if (in_group_) {
      statement.linker = linker_;
      statement.group = group_;
    }
    statement_ = out_.statements.size();
    out_.statements.push_back(statement);
  }

  // The end of a bad name that starts at `column`: its closing character on the line, or else
  // the next blank or ';'.
  std::size_t bad_name_end(std::size_t column, char close) const {
    const std::size_t end = text_end();
    for (std::size_t i = column + 1; i < end; ++i) {
      if (line_->buffer[i] == close) return i + 1;
    }
    return word_end(column);
  }

  // The end of a bad value: a string runs to its line's end, or past its closing quote to its
  // comment; any other value to its comment; both less the blanks at their end.
  std::size_t bad_value_end(std::size_t column) const {
    const char* buffer = line_->buffer;
    std::size_t end = text_end();
    std::size_t from = column;
    if (buffer[column] == '\'') {
      const void* close = std::memchr(buffer + column + 1, '\'', end - column - 1);
      from = close == nullptr ? end
                              : static_cast<std::size_t>(static_cast<const char*>(close) - buffer);
    }
    if (const void* comment = std::memchr(buffer + from, ';', end - from)) {
      end = static_cast<std::size_t>(static_cast<const char*>(comment) - buffer);
    }
    while (end > column + 1 && is_blank(buffer[end - 1])) --end;
    return std::max(end, column + 1);
  }

  // The end of a word: the next blank or ';'.
  std::size_t word_end(std::size_t column) const {
    std::size_t end = column + 1;
    while (end < line_->length && !is_blank(line_->buffer[end]) && line_->buffer[end] != ';' &&
           line_->buffer[end] != '\0') {
      ++end;
    }
    return end;
  }

  void push(TokenKind kind, std::size_t column, std::size_t end) {
    const TextLine& line = out_.lines.lines[line_index_];
    out_.tokens.push_back({kind, static_cast<std::uint32_t>(line_index_ + 1),
                           static_cast<std::uint32_t>(column),
                           static_cast<std::uint32_t>(end - column), line.offset + column});
    out_.statement_of.push_back(kNoIndex);
    line_->column = static_cast<std::uint16_t>(end);
  }

  void push_to_statement(TokenKind kind, std::size_t column, std::size_t end) {
    push_to(statement_, kind, column, end);
  }

  // A token of statement `s`, which then reaches at least to it, and so does its linker.
  void push_to(std::size_t s, TokenKind kind, std::size_t column, std::size_t end) {
    push(kind, column, end);
    const std::size_t index = out_.tokens.size() - 1;
    out_.statement_of[index] = s;
    out_.statements[s].end_token = index + 1;
    if (const std::size_t linker = out_.statements[s].linker; linker != kNoIndex) {
      out_.statements[linker].end_token = index + 1;
    }
  }

  std::string_view text_;
  std::uint8_t version_;
  BoardTokens& out_;
  std::unique_ptr<LineState> line_;
  std::size_t line_index_ = 0;
  State state_ = State::kStatement;
  std::size_t statement_ = kNoIndex;  // the statement being read
  std::size_t linker_ = kNoIndex;     // the linker (or stray group) whose groups are read
  bool stray_group_ = false;
  bool in_group_ = false;  // the statement being read stands in a group
  std::uint32_t group_ = 0;
  std::size_t name_line_ = 0;  // the line of the variable name whose value is looked for
};

}  // namespace

BoardTokens lex_board_text(std::string_view text, std::uint8_t version) {
  BoardTokens tokens;
  Lexer(text, version, tokens).run();
  return tokens;
}

std::size_t token_at_offset(const BoardTokens& tokens, std::size_t offset) {
  const auto found = std::lower_bound(
      tokens.tokens.begin(), tokens.tokens.end(), offset,
      [](const BoardToken& token, std::size_t at) { return token.offset + token.length <= at; });
  return static_cast<std::size_t>(found - tokens.tokens.begin());
}

}  // namespace kvr

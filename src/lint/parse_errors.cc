#include "lint/parse_errors.h"

#include <algorithm>
#include <optional>

#include "base/ascii.h"
#include "config/class_table.h"
#include "config/device_classes.h"
#include "config/line_reader.h"
#include "database/format.h"
#include "lint/board_checks.h"
#include "lint/suggestions.h"

namespace kvr {
namespace {

using Kind = BoardStatement::Kind;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string quoted(std::string_view text) {
  return "`" + std::string(text) + "'";
}

// What an error is read in: the file, the text the parser read (the file with the statements
// that broke before left out), and the file's tokens.
struct Context {
  std::string_view file;
  std::string_view text;
  std::uint8_t version;
  const BoardTokens* tokens;  // the tokens of `text`
  bool first;                 // kvrbuild's own error
};

bool alive(const Context& c, std::size_t t) {
  return c.text[c.tokens->tokens[t].offset] != ' ';
}

SourceRange token_range(const Context& c, std::size_t t) {
  const BoardToken& token = c.tokens->tokens[t];
  return range_of(c.tokens->lines, token.full_line, token.column, token.column + token.length);
}

SourceRange point_after(const Context& c, std::size_t t) {
  const BoardToken& token = c.tokens->tokens[t];
  const std::uint32_t end = token.column + token.length;
  return range_of(c.tokens->lines, token.full_line, end, end);
}

std::string_view text_of(const Context& c, std::size_t t) {
  return token_text(c.file, c.tokens->tokens[t]);
}

// The token before `t` that is no comment and still in the text, or kNoIndex.
std::size_t previous_token(const Context& c, std::size_t t) {
  while (t-- > 0) {
    if (c.tokens->tokens[t].kind != TokenKind::kComment && alive(c, t)) return t;
  }
  return kNoIndex;
}

Remark note(const SourceRange& range, std::string text) {
  return {Remark::Kind::kNote, range, std::move(text)};
}

Remark help(std::string text, std::vector<FixIt> fixes = {}) {
  return {Remark::Kind::kHelp, {}, std::move(text), std::move(fixes)};
}

FixIt edit(std::string title, const SourceRange& range, std::string text) {
  return {std::move(title), {{range, std::move(text)}}};
}

// The first byte a name token (from its '[' or '"' at `column`) is refused for, as the parser
// measures names; the line's end when it ends first.
std::size_t offending_byte(std::string_view line, std::size_t column, char close,
                           std::size_t longest) {
  std::size_t at = column + 1;
  if (at >= line.size() || line[at] == close || !is_letter(line[at])) return at;
  for (std::size_t n = 1;; ++n) {
    if (at + n >= line.size() || n == longest || !is_name_char(line[at + n])) return at + n;
  }
}

// Where the error stands: the token at fault, the byte a name is refused for, a point past the
// end of a file that ends too early, the first byte past the limit of a line too long.
SourceRange error_range(const Context& c, Status status, const ParseStop& stop) {
  const TextLines& lines = c.tokens->lines;
  const std::uint32_t column = stop.column > 0 ? stop.column - 1 : 0;
  const std::string_view line = line_text(c.file, lines, stop.full_line);
  const auto byte = [&](std::size_t at) {
    const auto from = static_cast<std::uint32_t>(at);
    return range_of(lines, stop.full_line, from, at < line.size() ? from + 1 : from);
  };
  switch (status) {
    case kStatusDeviceNameEmpty:
    case kStatusDeviceNameInvalid:
    case kStatusDeviceNameTooLong:
      return byte(offending_byte(line, column, '"', format::kNameFieldBytes));
    case kStatusVariableNameEmpty:
    case kStatusVariableNameInvalid:
    case kStatusVariableNameTooLong:
      return byte(offending_byte(line, column, ']', format::kMaxVariableName));
    case kStatusUnexpectedEnd:
      return range_of(lines, stop.full_line, column, column);
    case kStatusLineTooLong:
      return byte(column);
    default:
      break;
  }
  const SourceRange start = range_of(lines, stop.full_line, column, column);
  const std::size_t t = token_at_offset(*c.tokens, start.offset);
  if (t < c.tokens->tokens.size() && c.tokens->tokens[t].offset == start.offset) {
    return token_range(c, t);
  }
  return byte(column);
}

// The statement of token `t`, or kNoIndex.
std::size_t statement_of(const Context& c, std::size_t t) {
  return t < c.tokens->statement_of.size() ? c.tokens->statement_of[t] : kNoIndex;
}

// The linker whose structure an error at token `t` (or at the end, t past the last) breaks: one
// that holds `t`, or that ends right before it with a group missing or left open.
std::size_t broken_linker(const Context& c, std::size_t t) {
  const std::vector<BoardStatement>& statements = c.tokens->statements;
  for (std::size_t s = statements.size(); s-- > 0;) {
    const BoardStatement& st = statements[s];
    if (st.first_token >= t || !alive(c, st.first_token)) continue;
    if (st.kind != Kind::kLinker) {
      if (st.linker == kNoIndex) return kNoIndex;  // a main-path statement stands between
      continue;
    }
    if (st.end_token > t) return s;
    const bool open = st.groups < 4 || st.close[st.groups - 1] == kNoIndex;
    return open ? s : kNoIndex;
  }
  return kNoIndex;
}

// The first device or variable name before `t`, alive, whose name equals that of token `t`.
std::optional<std::size_t> first_of_name(const Context& c, std::size_t t, TokenKind kind) {
  const std::string name = lower_cased(text_of(c, t));
  for (std::size_t i = 0; i < t; ++i) {
    if (c.tokens->tokens[i].kind == kind && alive(c, i) && lower_cased(text_of(c, i)) == name) {
      return i;
    }
  }
  return std::nullopt;
}

// Whether a device of class ID `id` may stand where it does: on the main path, or in a group.
bool accepted_class_id(const std::string& id, std::uint8_t version, bool in_group) {
  const std::string upper = upper_cased(id);
  const FamilyTable& table = family_table_for(version);
  if (upper.size() > 32) return false;
  const auto begins = [&](std::uint32_t r) {
    return same_first_chars(upper.c_str(), table[r].type_name, table[r].literal_length);
  };
  if (!in_group) {
    std::uint32_t row = kNoFamilyRow;
    if (find_family_row(upper.c_str(), &row, version) != kStatusOk || begins(kPortRow)) {
      return false;
    }
    if (begins(kLinkerRow)) return true;
  }
  BoardModel scratch;
  DeviceEntry device{};
  return resolve_device_class(scratch, upper.c_str(), version, device) == kStatusOk;
}

// The line end the file uses: that of its first line.
std::string line_end(const Context& c) {
  const std::size_t newline = c.file.find('\n');
  return newline != std::string_view::npos && newline > 0 && c.file[newline - 1] == '\r' ? "\r\n"
                                                                                         : "\n";
}

void duplicate_notes(const Context& c, std::size_t t, TokenKind kind, Diagnostic& error) {
  const std::optional<std::size_t> first = first_of_name(c, t, kind);
  if (!first) return;
  const std::string_view written = text_of(c, *first);
  const std::string_view inner = written.substr(1, written.size() - 2);
  error.remarks.push_back(
      note(token_range(c, *first),
           kind == TokenKind::kDeviceName
               ? "the first device named " + quoted(lower_cased(inner)) + " stands here"
               : "the first variable named [" + std::string(inner) + "] stands here"));
}

// A value taken from a later line: the variable had none on its own.
void missing_value_notes(const Context& c, std::size_t name, const SourceRange& at,
                         Diagnostic& error) {
  const BoardToken& token = c.tokens->tokens[name];
  if (token.kind != TokenKind::kVariableName || token.full_line == at.full_line) return;
  const std::size_t after = name + 1;
  const bool comment = after < c.tokens->tokens.size() &&
                       c.tokens->tokens[after].kind == TokenKind::kComment &&
                       c.tokens->tokens[after].full_line == token.full_line;
  const std::string variable(text_of(c, name));
  if (!comment) {
    error.remarks.push_back(
        note(token_range(c, name), variable + " has no value on its line, so the next token is "
                                              "taken as its value"));
    return;
  }
  const std::string_view text = text_of(c, after);
  error.remarks.push_back(note(token_range(c, name),
                               "the value of " + variable + " is looked for after its name, and " +
                                   quoted(text) + " on its line is a comment"));
  std::string value(text.substr(1));
  value.erase(0, value.find_first_not_of(" \t"));
  value.erase(value.find_last_not_of(" \t") + 1);
  if (value.empty()) return;
  const SourceRange semicolon =
      range_of(c.tokens->lines, c.tokens->tokens[after].full_line, c.tokens->tokens[after].column,
               c.tokens->tokens[after].column + 1);
  error.remarks.push_back(help("remove the ';' to give " + variable + " the value " + quoted(value),
                               {edit("remove the ';'", semicolon, "")}));
}

void value_notes(const Context& c, const SourceRange& at, Diagnostic& error) {
  const std::string_view line = line_text(c.file, c.tokens->lines, at.full_line);
  const std::size_t column = at.column;
  if (column >= line.size() || line[column] != '\'') return;
  const std::size_t close = line.find('\'', column + 1);
  if (close == std::string_view::npos) {
    const auto end = static_cast<std::uint32_t>(line.size());
    const SourceRange line_end_point = range_of(c.tokens->lines, at.full_line, end, end);
    error.remarks.push_back(note(at, "this string has no closing quote"));
    error.remarks.push_back(note(line_end_point, "its line ends here"));
    error.remarks.push_back(help("end the string with ' on the same line",
                                 {edit("end the string with '", line_end_point, "'")}));
  } else if (const std::size_t after = line.find_first_not_of(" \t", close + 1);
             after != std::string_view::npos && line[after] != ';') {
    const auto from = static_cast<std::uint32_t>(after);
    error.remarks.push_back(note(range_of(c.tokens->lines, at.full_line, from, from + 1),
                                 "only blanks and a comment may follow the string on its line"));
  }
}

void class_id_notes(const Context& c, std::size_t t, Status status, const SourceRange& at,
                    Diagnostic& error) {
  const std::string written(text_of(c, t));
  const std::string token = upper_cased(written);
  const std::size_t s = statement_of(c, t);
  const bool in_group = s != kNoIndex && c.tokens->statements[s].linker != kNoIndex;
  const auto known = [&](std::string_view id, std::uint8_t version) {
    std::uint32_t row = 0;
    return find_family_row(std::string(id).c_str(), &row, version) == kStatusOk;
  };
  const std::size_t brace = token.find_first_of("{}");
  if (brace != std::string::npos && brace > 0 &&
      (known(std::string_view(token).substr(0, brace), c.version) ||
       accepted_class_id(token.substr(0, brace), c.version, in_group))) {
    const auto column = static_cast<std::uint32_t>(at.column + brace);
    error.remarks.push_back(
        help("a brace written directly after a class ID belongs to it: put a blank before the " +
                 quoted(token.substr(brace, 1)),
             {edit("put a blank before the " + quoted(token.substr(brace, 1)),
                   range_of(c.tokens->lines, at.full_line, column, column), " ")}));
  } else if (c.version == 1 && known(token, 2)) {
    // The label makes every line before the error a version 2 line too: offered at the first.
    std::vector<FixIt> fixes;
    std::size_t label = 0;
    if (!c.first) {
    } else if (label_late(c.file, &label) != nullptr) {
      fixes.push_back(edit("remove what stands before the label",
                           range_of(c.tokens->lines, 1, 0, static_cast<std::uint32_t>(label)), ""));
    } else {
      fixes.push_back(edit("begin the file with the label `;CFG-2.0'",
                           range_of(c.tokens->lines, 1, 0, 0), ";CFG-2.0" + line_end(c)));
    }
    error.remarks.push_back(help(quoted(written) +
                                     " is a class ID of version 2 files, which begin with the "
                                     "label `;CFG-2.0'",
                                 std::move(fixes)));
  } else if (status != kStatusIrLengthInvalid) {
    const std::optional<std::string> near = class_id_suggestion(token, c.version, in_group);
    if (near && accepted_class_id(*near, c.version, in_group)) {
      error.remarks.push_back(
          help("did you mean '" + *near + "'?", {edit("write " + quoted(*near), at, *near)}));
    }
  }
}

// "`name'": the device name of token `t`, as stored.
std::string linker_name(const Context& c, std::size_t t) {
  const std::string_view written = text_of(c, t);
  return quoted(lower_cased(written.substr(1, written.size() - 2)));
}

// A group of `linker` that a '}' does not close before the error.
void open_group_notes(const Context& c, std::size_t linker, std::size_t error_token,
                      Diagnostic& error) {
  const BoardStatement& st = c.tokens->statements[linker];
  const std::string name = linker_name(c, st.first_token);
  for (std::uint32_t k = 0; k < st.groups; ++k) {
    if (st.close[k] != kNoIndex || st.open[k] >= error_token) continue;
    error.remarks.push_back(
        note(token_range(c, st.open[k]), "group " + std::to_string(k) + " of linker " + name +
                                             " opens here, and no `}' closes it before the error"));
    // A '}' written against a class ID of the group belongs to the class ID.
    const std::size_t end = k + 1 < st.groups ? st.open[k + 1] : error_token;
    for (std::size_t t = st.open[k] + 1; t < end && t < c.tokens->tokens.size(); ++t) {
      const BoardToken& token = c.tokens->tokens[t];
      const std::string_view text = text_of(c, t);
      const std::size_t brace = text.find('}');
      if (token.kind != TokenKind::kClassId || brace == std::string_view::npos || brace == 0) {
        continue;
      }
      const auto column = static_cast<std::uint32_t>(token.column + brace);
      error.remarks.push_back(
          note(token_range(c, t), "the `}' of " + quoted(text) + " belongs to its class ID"));
      error.remarks.push_back(
          help("a brace written directly after a class ID belongs to it: put a blank before the "
               "`}'",
               {edit("put a blank before the `}'",
                     range_of(c.tokens->lines, token.full_line, column, column), " ")}));
      return;
    }
    return;
  }
  if (st.groups < 4) {
    // Groups missing: they go after the last one, or after the class ID.
    const std::size_t last = st.groups > 0 ? st.close[st.groups - 1] : st.first_token + 1;
    if (last == kNoIndex || last >= c.tokens->tokens.size()) return;
    std::string missing;
    for (std::uint32_t k = st.groups; k < 4; ++k) missing += " {}";
    error.remarks.push_back(note(token_range(c, st.first_token),
                                 "linker " + name + " has " + std::to_string(st.groups) +
                                     (st.groups == 1 ? " group" : " groups") +
                                     "; a linker takes exactly four, one for each sub-path"));
    error.remarks.push_back(help("add the missing empty groups",
                                 {edit("add" + missing, point_after(c, last), missing)}));
  }
}

// A fifth group after a linker's four.
void stray_group_notes(const Context& c, std::size_t t, Diagnostic& error) {
  const std::size_t s = statement_of(c, t);
  if (s == kNoIndex || s == 0 || c.tokens->statements[s].kind != Kind::kBroken) return;
  const std::size_t before = previous_token(c, t);
  const std::size_t linker = before != kNoIndex ? statement_of(c, before) : kNoIndex;
  if (linker == kNoIndex || c.tokens->statements[linker].kind != Kind::kLinker ||
      c.tokens->statements[linker].close[3] != before) {
    return;
  }
  error.remarks.push_back(note(token_range(c, c.tokens->statements[linker].first_token),
                               "linker " +
                                   linker_name(c, c.tokens->statements[linker].first_token) +
                                   " has its four groups already"));
}

void annotate(const Context& c, Diagnostic& error) {
  const std::size_t t = token_at_offset(*c.tokens, error.range.offset);
  const bool at_token = t < c.tokens->tokens.size() &&
                        c.tokens->tokens[t].offset == error.range.offset &&
                        error.status != kStatusUnexpectedEnd;
  switch (error.status) {
    case kStatusDeviceNameDuplicate:
      if (at_token) duplicate_notes(c, t, TokenKind::kDeviceName, error);
      break;
    case kStatusVariableNameDuplicate:
      if (at_token) duplicate_notes(c, t, TokenKind::kVariableName, error);
      break;
    case kStatusValueInvalid: {
      const std::size_t name = previous_token(c, t);
      if (name != kNoIndex) missing_value_notes(c, name, error.range, error);
      value_notes(c, error.range, error);
      break;
    }
    case kStatusClassUnknownFamily:
    case kStatusClassUnknown:
    case kStatusIrLengthInvalid:
      if (at_token) class_id_notes(c, t, error.status, error.range, error);
      break;
    case kStatusUnexpectedEnd:
    case kStatusBraceMisplaced:
    case kStatusDeviceNotQuoted: {
      if (error.status == kStatusUnexpectedEnd) {
        const std::size_t name = previous_token(c, c.tokens->tokens.size());
        if (name != kNoIndex) missing_value_notes(c, name, error.range, error);
      }
      if (error.status == kStatusDeviceNotQuoted && (!at_token || text_of(c, t)[0] != '[')) break;
      const std::size_t linker = broken_linker(c, at_token ? t : c.tokens->tokens.size());
      if (linker != kNoIndex) {
        open_group_notes(c, linker, at_token ? t : c.tokens->tokens.size(), error);
      } else if (at_token && error.status == kStatusBraceMisplaced) {
        stray_group_notes(c, t, error);
      }
      break;
    }
    default:
      break;
  }
}

// What the statement of the error leaves out, as bytes of the text: [begin, end).
struct Region {
  std::size_t begin = 0, end = 0;
  bool splits_token = false;  // it ends inside a token: what follows reads as other tokens
};

std::optional<Region> broken_region(const Context& c, const Diagnostic& error) {
  if (error.status == kStatusUnexpectedEnd || error.status == kStatusLineTooLong ||
      error.status == kStatusNoMemory || error.status == kStatusLabelMissing) {
    return std::nullopt;
  }
  const std::size_t t = token_at_offset(*c.tokens, error.range.offset);
  if (t >= c.tokens->tokens.size()) return std::nullopt;
  std::size_t s = statement_of(c, t);
  const char first = text_of(c, t)[0];
  const bool structural = error.status == kStatusBraceMisplaced ||
                          (error.status == kStatusDeviceNotQuoted && first == '[');
  if (structural) {
    if (const std::size_t linker = broken_linker(c, t); linker != kNoIndex) s = linker;
  }
  if (error.status == kStatusValueInvalid) {
    // A value taken from the next statement: the variable alone is left out.
    const std::size_t name = previous_token(c, t);
    if (name != kNoIndex && c.tokens->tokens[name].kind == TokenKind::kVariableName &&
        statement_of(c, name) != s) {
      s = statement_of(c, name);
    }
  }
  if (s == kNoIndex) return std::nullopt;
  const BoardStatement& st = c.tokens->statements[s];
  const BoardToken& last = c.tokens->tokens[st.end_token - 1];
  Region region{c.tokens->tokens[st.first_token].offset, last.offset + last.length};
  // Inside a group, braces written against a class ID are read on as the braces they were meant
  // to be (the tokens are then read again).
  if (const std::size_t brace = text_of(c, t).find_first_of("{}");
      c.tokens->tokens[t].kind == TokenKind::kClassId && brace != std::string_view::npos &&
      brace > 0 && st.linker != kNoIndex) {
    region.end = c.tokens->tokens[t].offset + brace;
    region.splits_token = true;
  }
  return region;
}

// Leaves `region` out of `text`: its bytes become blanks but for those that end lines or text.
void blank(std::string& text, const Region& region) {
  for (std::size_t i = region.begin; i < region.end && i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\n' && c != '\r' && c != '\0' && c != 0x1A) text[i] = ' ';
  }
}

// Where `offset` of a text moves to once `fix` is applied.
std::size_t moved(std::size_t offset, const FixIt& fix) {
  std::size_t to = offset;
  for (const TextEdit& e : fix.edits) {
    const std::size_t length = e.range.end_column - e.range.column;
    if (e.range.offset + length <= offset && !(length == 0 && e.range.offset == offset)) {
      to = to + e.text.size() - length;
    }
  }
  return to;
}

// Keeps only the fix-its after which the parser stops later than at `error`, or not at all.
void keep_working_fixes(const Context& c, Diagnostic& error) {
  for (Remark& remark : error.remarks) {
    std::erase_if(remark.fixes, [&](const FixIt& fix) {
      const std::string fixed = apply_fix(c.text, fix);
      ParseStop stop;
      const std::uint8_t version = config_version_of(fixed);
      const Status status = parse_status(fixed, version, stop);
      if (status == kStatusOk) return false;
      const TextLines lines = text_lines(fixed);
      const SourceRange where = range_of(lines, stop.full_line, stop.column - 1, stop.column - 1);
      return where.offset <= moved(error.range.offset, fix);
    });
  }
}

// A byte-order mark where the first token is looked for.
void byte_order_mark(const Context& c, Diagnostic& error) {
  if (!c.file.starts_with(kByteOrderMark) || error.range.offset != 0) return;
  error.detail = "the file begins with a UTF-8 byte-order mark (the bytes EF BB BF)";
  error.remarks.push_back(
      help("save the file without the byte-order mark",
           {edit("remove the byte-order mark", range_of(c.tokens->lines, 1, 0, 3), "")}));
}

Diagnostic error_at(const Context& c, Status status, const ParseStop& stop) {
  Diagnostic error = error_diagnostic(status, error_range(c, status, stop));
  byte_order_mark(c, error);
  annotate(c, error);
  keep_working_fixes(c, error);
  if (c.first && c.version == 1) {
    const char* why = label_late(c.file);
    error.remarks.push_back(
        note({}, std::string("read as a version 1 file: it does not begin with the label "
                             "`;CFG-2.0'") +
                     (why != nullptr ? " (" + std::string(why) + " stands before it)" : "")));
  }
  return error;
}

}  // namespace

std::uint8_t config_version_of(std::string_view text) {
  return text.size() >= format::kLabelLength &&
                 equal_nocase_n(text.data(), format::kConfigLabel, format::kLabelLength) == 0
             ? 2
             : 1;
}

Status parse_status(std::string_view text, std::uint8_t version, ParseStop& stop) {
  BoardModel model;
  model.keep_devices = false;
  model.keep_variables = false;
  return parse_board_config(model, LineSource{nullptr, 0, nullptr, text}, nullptr, nullptr, version,
                            &stop);
}

ErrorsRead read_errors(const ConfigReading& reading, const BoardTokens& tokens, bool read_on,
                       std::size_t most) {
  ErrorsRead read;
  read.rest = reading.text;
  read.rest_status = reading.status;
  if (reading.status == kStatusOk) return read;
  Context c{reading.text, read.rest, reading.version, &tokens, true};
  BoardTokens relexed;  // the tokens of the text read, once a region split a token
  read.errors.push_back(error_at(c, reading.status, reading.stop));
  c.first = false;
  // The error whose statement is left out next; one found again at or before the place of the
  // last one told is left out too, without being told twice. Each reading leaves out at least
  // one token more, and the readings are bounded as the errors are.
  Diagnostic current = read.errors.back();
  for (std::size_t readings = 0; read_on && read.errors.size() < most && readings < 2 * most;
       ++readings) {
    const std::optional<Region> region = broken_region(c, current);
    if (!region) break;
    blank(read.rest, *region);
    if (region->splits_token) {
      relexed = lex_board_text(read.rest, reading.version);
      c = Context{reading.text, read.rest, reading.version, &relexed, false};
    }
    c.text = read.rest;
    ParseStop stop;
    read.rest_status = parse_status(read.rest, reading.version, stop);
    if (read.rest_status == kStatusOk) break;
    current = error_at(c, read.rest_status, stop);
    if (current.range.offset > read.errors.back().range.offset) read.errors.push_back(current);
  }
  return read;
}

}  // namespace kvr

#include "bridge/bsdl_reader.h"

#include <algorithm>
#include <vector>

#include "base/ascii.h"

namespace kvr {
namespace {

struct Token {
  std::string_view text;  // empty at the end of the file
  std::size_t offset = 0;
  bool string = false;
};

// The next token from `at`: a word of letters, digits and '_', a string, or one other character.
// Returns false for a string that does not close on its line.
bool next_token(std::string_view text, std::size_t& at, Token& token) {
  while (at < text.size()) {
    if (is_space(text[at])) {
      ++at;
    } else if (text.compare(at, 2, "--") == 0) {
      at = std::min(text.find('\n', at), text.size());
    } else {
      break;
    }
  }
  token = Token{text.substr(at, 0), at, false};
  if (at == text.size()) return true;
  std::size_t end = at + 1;
  if (text[at] == '"') {
    end = text.find_first_of("\"\n", end);
    if (end == std::string_view::npos || text[end] != '"') return false;
    ++end;
    token.string = true;
  } else if (is_name_char(text[at])) {
    while (end < text.size() && is_name_char(text[end])) ++end;
  }
  token.text = text.substr(at, end - at);
  at = end;
  return true;
}

bool is_word(const Token& token, std::string_view word) {
  return !token.string && lower_cased(token.text) == word;
}

struct Reader {
  const std::string& file;
  std::string_view text;
  std::size_t at = 0;
  Token token;
  ImportFailure& failure;

  bool fail_here(const std::string& message) {
    failure = failure_at(file, text, token.offset, message);
    return false;
  }
  bool advance() {
    if (next_token(text, at, token)) return true;
    return fail_here("a string that does not end on its line");
  }
  // The next token must be `word'.
  bool expect(std::string_view word, const char* where) {
    if (!advance()) return false;
    if (is_word(token, word)) return true;
    return fail_here("`" + std::string(word) + "' expected " + where + ", not `" +
                     std::string(token.text) + "'");
  }
};

bool is_identifier(const Token& token) {
  return !token.string && !token.text.empty() && is_letter(token.text[0]);
}

// After `attribute INSTRUCTION_LENGTH': of NAME : entity is N ;
bool read_length(Reader& r, const Token& entity, ImportedTap& tap) {
  if (!r.expect("of", "after INSTRUCTION_LENGTH") || !r.advance()) return false;
  if (lower_cased(r.token.text) != lower_cased(entity.text)) {
    return r.fail_here("INSTRUCTION_LENGTH of `" + std::string(r.token.text) +
                       "', where the file's entity is `" + std::string(entity.text) + "'");
  }
  if (!r.expect(":", "after the entity's name") || !r.expect("entity", "after ':'") ||
      !r.expect("is", "after `entity'") || !r.advance()) {
    return false;
  }
  const Token number = r.token;
  if (number.string || number.text.empty() ||
      !std::all_of(number.text.begin(), number.text.end(), is_digit)) {
    return r.fail_here("a number of bits expected, not `" + std::string(number.text) + "'");
  }
  if (const std::string problem = ir_length_problem(number.text); !problem.empty()) {
    return r.fail_here(problem);
  }
  const std::int64_t length = decimal_value(number.text);
  if (!r.expect(";", "after the length")) return false;
  tap.ir_length = static_cast<std::uint32_t>(length);
  return true;
}

}  // namespace

bool is_bsdl(std::string_view text) {
  std::size_t at = 0;
  Token token;
  return next_token(text, at, token) && is_word(token, "entity");
}

bool read_bsdl(const std::string& file, std::string_view text, ImportedTap& tap,
               ImportFailure& failure) {
  Reader r{file, text, 0, {}, failure};
  if (!r.advance() || !r.advance()) return false;  // `entity', then its name
  const Token entity = r.token;
  if (!is_identifier(entity)) {
    return r.fail_here("an entity name expected, not `" + std::string(entity.text) + "'");
  }
  if (!r.expect("is", "after the entity's name")) return false;
  tap = ImportedTap{"", std::string(entity.text), 0, true};
  bool found = false;
  for (Token previous;; previous = r.token) {
    if (!r.advance()) return false;
    if (r.token.text.empty()) break;
    if (!is_word(previous, "attribute") || !is_word(r.token, "instruction_length")) continue;
    if (found) return r.fail_here("a second INSTRUCTION_LENGTH attribute");
    if (!read_length(r, entity, tap)) return false;
    found = true;
  }
  if (found) return true;
  r.token = entity;
  return r.fail_here("the entity `" + std::string(entity.text) +
                     "' has no `attribute INSTRUCTION_LENGTH of " + std::string(entity.text) +
                     " : entity is N;'");
}

}  // namespace kvr

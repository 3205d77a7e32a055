#include "bridge/scan_chain_table.h"

#include <algorithm>

#include "base/ascii.h"

namespace kvr {
namespace {

struct Word {
  std::string_view text;
  std::size_t offset;  // in the file
};

struct Line {
  std::string_view text;
  std::size_t offset;
};

std::vector<Line> lines_of(std::string_view text) {
  std::vector<Line> lines;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    lines.push_back({text.substr(at, end - at), at});
    at = end + 1;
  }
  return lines;
}

std::vector<Word> words_of(const Line& line) {
  std::vector<Word> words;
  for (std::size_t at = 0; at < line.text.size();) {
    if (is_space(line.text[at])) {
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < line.text.size() && !is_space(line.text[end])) ++end;
    words.push_back({line.text.substr(at, end - at), line.offset + at});
    at = end;
  }
  return words;
}

bool is_header(const std::vector<Word>& words) {
  const auto has = [&](std::string_view name) {
    return std::any_of(words.begin(), words.end(), [&](const Word& w) { return w.text == name; });
  };
  return !words.empty() && words[0].text == "TapName" && has("Enabled") && has("IrLen");
}

bool is_decimal(std::string_view text) {
  return !text.empty() && text.size() < 10 && std::all_of(text.begin(), text.end(), is_digit);
}

// "0x" and hexadecimal digits; in an IDCODE, '*' stands for a digit OpenOCD does not compare.
bool is_hex(std::string_view text, bool idcode = false) {
  return text.size() > 2 && text.substr(0, 2) == "0x" &&
         std::all_of(text.begin() + 2, text.end(),
                     [&](char c) { return hex_digit_value(c) >= 0 || (idcode && c == '*'); });
}

// The low 32 bits of a number of is_hex, a '*' digit as 0.
std::uint32_t hex_value(std::string_view text) {
  std::uint32_t value = 0;
  for (const char c : text.substr(2))
    value = value * 16 + static_cast<std::uint32_t>(std::max(hex_digit_value(c), 0));
  return value;
}

std::int64_t decimal(std::string_view text) {
  std::int64_t value = 0;
  for (const char c : text) value = value * 10 + (c - '0');
  return value;
}

struct TableReader {
  const std::string& file;
  std::string_view text;
  ImportFailure& failure;

  bool fail(std::size_t offset, std::string message) {
    failure = failure_at(file, text, offset, std::move(message));
    return false;
  }

  // A row: number, name, enabled, IdCode, Expected, IrLen, IrCap, IrMask.
  bool row(const std::vector<Word>& w, const Line& line, std::size_t number, ImportedTap& tap) {
    static constexpr const char* kColumns[] = {"the number", "the TAP name", "Enabled", "IdCode",
                                               "Expected",   "IrLen",        "IrCap",   "IrMask"};
    if (w.size() < 8) {
      return fail(line.offset + line.text.size(),
                  "the row ends before its column " + std::string(kColumns[w.size()]));
    }
    if (w.size() > 8) return fail(w[8].offset, "the row holds more than 8 columns");
    if (!is_decimal(w[0].text) || decimal(w[0].text) != static_cast<std::int64_t>(number)) {
      return fail(w[0].offset, "row number " + std::to_string(number) + " expected");
    }
    if (w[2].text != "Y" && w[2].text != "n") return fail(w[2].offset, "Enabled is Y or n");
    for (const int hex : {3, 4, 6, 7}) {
      if (!is_hex(w[hex].text, hex < 6)) {
        return fail(w[hex].offset, std::string(kColumns[hex]) + " is a hexadecimal number (0x...)");
      }
    }
    if (!is_decimal(w[5].text)) return fail(w[5].offset, "IrLen is a decimal number of bits");
    if (std::string problem = ir_length_problem(decimal(w[5].text)); !problem.empty()) {
      return fail(w[5].offset, problem);
    }
    const std::string_view name = w[1].text;
    const std::size_t dot = name.rfind('.');
    tap.chip = dot == std::string_view::npos ? "" : std::string(name.substr(0, dot));
    tap.tap = std::string(dot == std::string_view::npos ? name : name.substr(dot + 1));
    tap.ir_length = static_cast<std::uint32_t>(decimal(w[5].text));
    tap.enabled = w[2].text == "Y";
    // OpenOCD shows 0 for a TAP that expects no IDCODE.
    if (hex_value(w[4].text) != 0) tap.expected_ids.push_back(hex_value(w[4].text));
    tap.ir_capture = hex_value(w[6].text);
    tap.ir_mask = hex_value(w[7].text);
    return true;
  }
};

}  // namespace

bool is_scan_chain_table(std::string_view text) {
  const std::vector<Line> lines = lines_of(text);
  return std::any_of(lines.begin(), lines.end(),
                     [](const Line& line) { return is_header(words_of(line)); });
}

bool read_scan_chain_table(const std::string& file, std::string_view text,
                           std::vector<ImportedTap>& taps, ImportFailure& failure) {
  TableReader reader{file, text, failure};
  const std::vector<Line> lines = lines_of(text);
  std::size_t at = 0;
  while (at < lines.size() && !is_header(words_of(lines[at]))) ++at;
  const std::size_t header = at++;
  if (at == lines.size() || words_of(lines[at]).empty() ||
      !words_of(lines[at])[0].text.starts_with("--")) {
    const std::size_t where = at == lines.size() ? text.size() : lines[at].offset;
    return reader.fail(where, "the line of dashes under the table's header expected");
  }
  std::vector<ImportedTap> rows;
  for (++at; at < lines.size(); ++at) {
    const std::vector<Word> w = words_of(lines[at]);
    if (w.size() == 1 && is_hex(w[0].text, true) && !rows.empty()) {  // one more ID
      rows.back().expected_ids.push_back(hex_value(w[0].text));
      continue;
    }
    if (w.empty() || !is_decimal(w[0].text)) break;
    rows.emplace_back();
    if (!reader.row(w, lines[at], rows.size() - 1, rows.back())) return false;
  }
  if (rows.empty()) return reader.fail(lines[header].offset, "the table lists no TAP");
  taps.assign(rows.rbegin(), rows.rend());
  return true;
}

}  // namespace kvr

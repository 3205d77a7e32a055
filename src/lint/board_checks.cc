#include "lint/board_checks.h"

#include <algorithm>
#include <optional>
#include <tuple>

#include "base/ascii.h"
#include "config/class_table.h"
#include "config/device_classes.h"
#include "config/hex_number.h"
#include "config/line_reader.h"
#include "database/format.h"
#include "database/scan_paths.h"
#include "lint/class_ids.h"
#include "lint/documented_variables.h"
#include "lint/suggestions.h"

namespace kvr {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

Place place_of(const NamePlace& place, std::uint32_t offset = 0) {
  return {place.line, place.full_line, place.column + 1u + offset};
}

std::string quoted(std::string_view text) {
  return "`" + std::string(text) + "'";
}

// A warning of `check` at `place`; the check's name is added when the report is made.
Diagnostic warning(const Place& place, std::string text, std::vector<Remark> remarks = {}) {
  return {"warning", place, std::move(text), std::move(remarks)};
}

// The family row a class ID resolves to, as the parser resolves it; nothing when none does.
std::optional<std::uint32_t> row_of(const std::string& upper, std::uint8_t version) {
  const FamilyTable& table = family_table_for(version);
  for (const std::uint32_t r : {kBypassRow, kGenericRow}) {
    const FamilyRow& row = table[r];
    if (row.full_length != 0 &&
        upper.starts_with(std::string_view(row.type_name, row.literal_length)))
      return r;
  }
  std::uint32_t row = kNoFamilyRow;
  if (find_family_row(upper.c_str(), &row, version) != kStatusOk) return std::nullopt;
  return row;
}

std::string ir_text(const FamilyRow& row, std::uint32_t r, const std::string& upper) {
  const std::uint32_t bits = r == kBypassRow || r == kGenericRow
                                 ? read_hex_u32(upper.c_str() + row.literal_length)
                                 : row.ir_length;
  return std::to_string(bits) + " IR bits";
}

bool hex_or_x(char c) {
  return hex_digit_value(c) >= 0 || c == 'X' || c == 'x';
}

// Calls `look(device, class ID upper-cased, its family row)` for each device whose class ID
// resolves to a family.
template <typename Look>
void for_each_resolved(const CheckInput& input, Look look) {
  for (const WrittenDevice& device : input.reading.written.devices) {
    const std::string upper = upper_cased(device.class_id);
    if (const std::optional<std::uint32_t> r = row_of(upper, input.reading.version)) {
      look(device, upper, *r);
    }
  }
}

// A class ID that one family takes while it also begins another family's class ID whose last
// characters are missing: QV740K88 is a QV740K8x, or a QV740K88xx without its xx.
void class_id_prefix(const CheckInput& input, std::vector<Diagnostic>& found) {
  const FamilyTable& table = family_table_for(input.reading.version);
  for_each_resolved(
      input, [&](const WrittenDevice& device, const std::string& upper, std::uint32_t r) {
        for (std::uint32_t s = 0; s < table.size(); ++s) {
          const FamilyRow& other = table[s];
          const std::string_view literal(other.type_name, other.literal_length);
          if (s == r || *other.type_name == '\0' ||
              std::string_view(other.type_name) == table[r].type_name ||
              upper.size() < other.literal_length || upper.size() >= other.full_length ||
              !upper.starts_with(literal) ||
              !std::all_of(upper.begin() + other.literal_length, upper.end(), hex_or_x)) {
            continue;
          }
          const std::size_t missing = other.full_length - upper.size();
          found.push_back(warning(
              place_of(device.class_place),
              "class ID " + quoted(device.class_id) + " is taken as " + table[r].type_name + " (" +
                  ir_text(table[r], r, upper) + "), but it begins like " + other.type_name + " (" +
                  ir_text(other, s, upper) + ") with its last " + std::to_string(missing) +
                  (missing == 1 ? " character" : " characters") + " missing",
              {{"help", place_of(device.class_place),
                "write " + quoted(other.type_name) + " in full where that family is meant"}}));
          break;
        }
      });
}

// Class-ID digits that are neither hexadecimal digits nor all x's: they are read as a number all
// the same, up to the first that is no digit, with a sign or an "0x" taken in.
void class_id_digits(const CheckInput& input, std::vector<Diagnostic>& found) {
  const FamilyTable& table = family_table_for(input.reading.version);
  for_each_resolved(input, [&](const WrittenDevice& device, const std::string& upper,
                               std::uint32_t r) {
    const FamilyRow& row = table[r];
    const std::string digits =
        upper.substr(std::min<std::size_t>(row.literal_length, upper.size()));
    const auto all = [&](auto accept) { return std::all_of(digits.begin(), digits.end(), accept); };
    if (digits.empty() || all([](char c) { return c == 'X'; }) ||
        all([](char c) { return hex_digit_value(c) >= 0; })) {
      return;
    }
    const std::uint32_t value = read_hex_u32(digits.c_str());
    const std::string written = device.class_id.substr(row.literal_length);
    const bool has_x = std::string_view(row.type_name).find('x') != std::string_view::npos;
    found.push_back(
        warning(place_of(device.class_place, row.literal_length),
                "the characters " + quoted(written) + " of class ID " + quoted(device.class_id) +
                    " are not hexadecimal digits: they are read as " + hex_text(value) +
                    ", which gives the high-level class " + hex_text(row.high_level_base + value),
                {{"help",
                  {},
                  "write the " + std::to_string(written.size()) + " characters after " +
                      quoted(std::string_view(row.type_name, row.literal_length)) +
                      " as hexadecimal digits" + (has_x ? ", or as x's" : "")}}));
  });
}

void unknown_variable(const CheckInput& input, std::vector<Diagnostic>& found) {
  std::vector<const char*> names;
  for (const DocumentedVariable& v : documented_variables()) names.push_back(v.name);
  for (const WrittenVariable& variable : input.reading.written.variables) {
    if (find_documented_variable(variable.name) != nullptr) continue;
    std::vector<Remark> remarks;
    if (std::optional<std::string> near = closest(variable.name, names)) {
      remarks.push_back({"help", {}, "did you mean [" + *near + "]?"});
    }
    found.push_back(
        warning(place_of(variable.name_place, 1),
                "variable [" + variable.name + "] is not one that `kvrbuild -vi' documents",
                std::move(remarks)));
  }
}

void variable_kind(const CheckInput& input, std::vector<Diagnostic>& found) {
  for (const WrittenVariable& variable : input.reading.written.variables) {
    const DocumentedVariable* documented = find_documented_variable(variable.name);
    if (documented == nullptr) continue;
    const ValueKind kind = kind_of_value(variable.value);
    if ((documented->kinds & kind) != 0) continue;
    const char* how = documented->kinds == kBooleanValue  ? "write yes or no"
                      : documented->kinds == kNumberValue ? "write a number, such as 8 or 0x240"
                      : documented->kinds == kStringValue
                          ? "write the value between single quotes, such as 'KVR200.OUT'"
                          : "write a number, or a string between single quotes";
    found.push_back(warning(place_of(variable.value_place),
                            "[" + variable.name + "] takes " +
                                std::string(kinds_text(documented->kinds)) + ", but " +
                                quoted(variable.value) + " is " + std::string(kinds_text(kind)),
                            {{"help", {}, how}}));
  }
}

// A number as the parser accepts it: hexadecimal after "0x", octal after a leading 0, decimal.
std::uint32_t number_of(const std::string& text) {
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    return static_cast<std::uint32_t>(std::stoul("0" + text.substr(2), nullptr, 16));
  }
  return static_cast<std::uint32_t>(std::stoul(text, nullptr, text[0] == '0' ? 8 : 10));
}

// The lengths the scan path can have: its main path, and with it one sub-path (or none) of each
// linker; as IR bits and devices. Empty when there are too many ways to list.
std::set<std::pair<std::uint64_t, std::uint64_t>> path_lengths(const StoredBoard& board) {
  constexpr std::size_t kMostWays = 256;
  const ScanPaths paths = scan_paths(board);
  const auto total = [&](const DevicePath& path) {
    std::pair<std::uint64_t, std::uint64_t> sum{0, path.size()};
    for (const std::size_t i : path) sum.first += board.devices[i].mainIR;
    return sum;
  };
  std::set<std::pair<std::uint64_t, std::uint64_t>> ways = {total(paths.main)};
  for (const auto& [linker, sub_paths] : paths.sub_paths) {
    std::set<std::pair<std::uint64_t, std::uint64_t>> next = ways;
    for (const DevicePath& path : sub_paths) {
      const auto add = total(path);
      for (const auto& [ir, dr] : ways) next.insert({ir + add.first, dr + add.second});
    }
    if (next.size() > kMostWays) return {};
    ways.swap(next);
  }
  return ways;
}

void path_size(const CheckInput& input, std::vector<Diagnostic>& found) {
  if (input.loaded == nullptr) return;
  const auto ways = path_lengths(input.loaded->board);
  for (const WrittenVariable& variable : input.reading.written.variables) {
    const std::string name = upper_cased(variable.name);
    const bool ir = name == "VORTA_SIZE_IRPATH";
    if ((!ir && name != "VORTA_SIZE_DRPATH") || kind_of_value(variable.value) != kNumberValue)
      continue;
    const std::uint32_t given = number_of(variable.value);
    std::set<std::uint64_t> lengths;
    for (const auto& [bits, devices] : ways) lengths.insert(ir ? bits : devices);
    if (given == 0 || lengths.empty() || lengths.contains(given)) continue;
    std::string listed;
    for (const std::uint64_t length : lengths) {
      listed += (listed.empty()                ? ""
                 : length == *lengths.rbegin() ? " or "
                                               : ", ") +
                std::to_string(length);
    }
    found.push_back(warning(
        place_of(variable.value_place),
        "[" + variable.name + "] is " + std::to_string(given) + ", but the scan path holds " +
            listed + (ir ? " IR bits" : " devices") +
            (lengths.size() > 1 ? ", as its linkers select a sub-path or none" : ""),
        {{"help",
          {},
          "give 0 to have the length worked out from the scan path, or -Wno-path-size where the "
          "description leaves devices out on purpose"}}));
  }
}

void cr_line_ends(const CheckInput& input, std::vector<Diagnostic>& found) {
  const std::string& text = input.reading.text;
  const std::size_t end = std::min(text.find('\x1a'), text.size());
  for (std::size_t at = text.find('\r'); at < end; at = text.find('\r', at + 1)) {
    if (at + 1 < text.size() && text[at + 1] == '\n') continue;
    const std::size_t line_start = text.rfind('\n', at) + 1;  // 0 when there is none before
    const auto full_line =
        static_cast<std::uint32_t>(std::count(text.begin(), text.begin() + at, '\n') + 1);
    Diagnostic lone =
        warning({full_line & 0xFFFF, full_line, static_cast<std::uint32_t>(at - line_start + 1)},
                "a carriage return without a line feed ends no line: what follows "
                "it is read as part of this line",
                {{"help", {}, "save the file with LF or CR LF line ends"}});
    lone.quote = false;  // the line would show as what its carriage returns overwrite
    found.push_back(std::move(lone));
    return;  // one is enough: the file as a whole has them
  }
}

void empty_linker(const CheckInput& input, std::vector<Diagnostic>& found) {
  if (input.loaded == nullptr) return;
  const std::vector<DeviceRecord>& devices = input.loaded->board.devices;
  for (std::size_t i = 0; i < devices.size(); ++i) {
    const DeviceRecord& d = devices[i];
    if (d.connect != 1 || d.sub_id != std::array<std::uint32_t, 4>{}) continue;
    const WrittenDevice& written = input.reading.written.devices[i];
    found.push_back(warning(place_of(written.name_place),
                            "linker " + quoted(written.name) + " has four empty sub-paths",
                            {{"help",
                              {},
                              "list the devices of its sub-paths in its four groups, or remove "
                              "it"}}));
  }
}

// Why a file read as version 1 was meant as version 2: what stands before its label, and where
// on the first line the label begins (its 0-based column).
const char* label_late(const std::string& text, std::size_t* column = nullptr) {
  std::string_view rest = text;
  const char* why = nullptr;
  if (rest.starts_with(kByteOrderMark)) {
    rest.remove_prefix(kByteOrderMark.size());
    why = "a UTF-8 byte-order mark";
  }
  const std::size_t label = rest.find_first_not_of(" \t");
  if (label != 0 && label != std::string_view::npos) why = "a blank";
  if (why == nullptr || label == std::string_view::npos || rest.size() - label < 8 ||
      equal_nocase_n(rest.data() + label, format::kConfigLabel, format::kLabelLength) != 0) {
    return nullptr;
  }
  if (column != nullptr) *column = text.size() - rest.size() + label;
  return why;
}

void label(const CheckInput& input, std::vector<Diagnostic>& found) {
  std::size_t column = 0;
  const char* why = label_late(input.reading.text, &column);
  if (input.loaded == nullptr || input.reading.version != 1 || why == nullptr) return;
  found.push_back(warning({1, 1, static_cast<std::uint32_t>(column + 1)},
                          "the label `;CFG-2.0' comes after " + std::string(why) +
                              ", so the file is read as a version 1 board configuration",
                          {{"help", {}, "begin the file with the label itself"}}));
}

constexpr BoardCheck kChecks[] = {
    {"class-id-prefix", true, "a class ID that also begins another family's, cut short",
     class_id_prefix},
    {"class-id-digits", true, "class-ID digits that are not hexadecimal", class_id_digits},
    {"unknown-variable", true, "a variable that `kvrbuild -vi' does not document",
     unknown_variable},
    {"variable-kind", true, "a documented variable with a value of the wrong kind", variable_kind},
    {"path-size", true, "[VORTA_SIZE_IRPATH] or [VORTA_SIZE_DRPATH] against the scan path",
     path_size},
    {"cr-line-ends", true, "carriage returns without line feeds", cr_line_ends},
    {"empty-linker", true, "a linker whose four sub-paths are empty", empty_linker},
    {"label", true, "a label after a byte-order mark or a blank", label},
};

// The name or statement token that starts at `column` (0-based) of `line`.
std::string token_at(const std::string& line, std::size_t column) {
  if (column >= line.size()) return "";
  const std::size_t end = line.find_first_of(" \t\r\n;", column);
  return line.substr(column, end == std::string::npos ? std::string::npos : end - column);
}

// The notes and help of the parser's error.
void annotate(const ConfigReading& reading, Diagnostic& error, const LineTexts& lines) {
  const ParseStop& stop = reading.stop;
  const auto found = lines.find(stop.full_line);
  const std::string line = found != lines.end() ? found->second : "";
  const std::size_t column = stop.column > 0 ? stop.column - 1 : 0;
  const WrittenBoard& written = reading.written;
  switch (reading.status) {
    case kStatusDeviceNameDuplicate: {
      const std::size_t close = line.find('"', column + 1);
      const std::string name = lower_cased(line.substr(column + 1, close - column - 1));
      for (const WrittenDevice& device : written.devices) {
        if (device.name != name || (device.name_place.full_line == stop.full_line &&
                                    device.name_place.column + 1u == stop.column)) {
          continue;
        }
        error.remarks.push_back({"note", place_of(device.name_place),
                                 "the first device named " + quoted(name) + " stands here"});
        break;
      }
      break;
    }
    case kStatusVariableNameDuplicate: {
      const std::size_t close = line.find(']', column);
      const std::string name = lower_cased(line.substr(column + 1, close - column - 1));
      for (const WrittenVariable& variable : written.variables) {
        if (lower_cased(variable.name) != name) continue;
        error.remarks.push_back({"note", place_of(variable.name_place),
                                 "the first variable named [" + variable.name + "] stands here"});
        break;
      }
      break;
    }
    case kStatusValueInvalid: {
      if (column >= line.size() || line[column] != '\'') break;
      const std::size_t close = line.find('\'', column + 1);
      if (close == std::string::npos) {
        error.remarks.push_back({"note", error.place, "this string has no closing quote"});
        error.remarks.push_back(
            {"note",
             {stop.line, stop.full_line, static_cast<std::uint32_t>(line.size() + 1)},
             "its line ends here"});
        error.remarks.push_back({"help", {}, "end the string with ' on the same line"});
      } else if (const std::size_t after = line.find_first_not_of(" \t", close + 1);
                 after != std::string::npos && line[after] != ';') {
        error.remarks.push_back({"note",
                                 {stop.line, stop.full_line, static_cast<std::uint32_t>(after + 1)},
                                 "only blanks and a comment may follow the string on its line"});
      }
      break;
    }
    case kStatusClassUnknownFamily:
    case kStatusClassUnknown:
    case kStatusIrLengthInvalid: {
      const std::string token = upper_cased(token_at(line, column));
      std::uint32_t row = 0;
      const auto known = [&](std::string_view id, std::uint8_t version) {
        return find_family_row(std::string(id).c_str(), &row, version) == kStatusOk;
      };
      const std::size_t brace = token.find_first_of("{}");
      if (brace != std::string::npos && brace > 0 &&
          known(std::string_view(token).substr(0, brace), reading.version)) {
        error.remarks.push_back({"help",
                                 {},
                                 "a brace written directly after a class ID belongs to it: put "
                                 "a blank before the " +
                                     quoted(token.substr(brace, 1))});
      } else if (reading.version == 1 && known(token, 2)) {
        error.remarks.push_back({"help",
                                 {},
                                 quoted(token_at(line, column)) +
                                     " is a class ID of version 2 files, which begin with the "
                                     "label `;CFG-2.0'"});
      } else if (std::optional<std::string> near = class_id_suggestion(token, reading.version);
                 near && reading.status != kStatusIrLengthInvalid) {
        error.remarks.push_back({"help", {}, "did you mean '" + *near + "'?"});
      }
      break;
    }
    default:
      break;
  }
  if (reading.version == 1) {
    const char* why = label_late(reading.text);
    error.remarks.push_back(
        {"note",
         {},
         std::string("read as a version 1 file: it does not begin with the label "
                     "`;CFG-2.0'") +
             (why != nullptr ? " (" + std::string(why) + " stands before it)" : "")});
  }
}

LineTexts lines_for(const ConfigReading& reading, const std::vector<Diagnostic>& diagnostics) {
  std::set<std::uint32_t> numbers;
  for (const Diagnostic& d : diagnostics) {
    if (d.place.full_line != 0) numbers.insert(d.place.full_line);
    for (const Remark& r : d.remarks) {
      if (r.place.full_line != 0) numbers.insert(r.place.full_line);
    }
  }
  return lines_as_read(LineSource{nullptr, 0, nullptr, reading.text}, numbers);
}

}  // namespace

std::span<const BoardCheck> board_checks() {
  return kChecks;
}

bool CheckSettings::apply(const std::string& word) {
  if (word == "error") {
    all_errors = true;
    return true;
  }
  const bool error = word.starts_with("error=");
  const bool off = word.starts_with("no-");
  const std::string name = word.substr(error ? 6 : off ? 3 : 0);
  for (const BoardCheck& check : kChecks) {
    if (name != check.name) continue;
    if (error) {
      errors.insert(name);
    }
    on[name] = !off;
    return true;
  }
  return false;
}

bool CheckSettings::runs(const BoardCheck& check) const {
  if (!warnings) return false;
  const auto found = on.find(check.name);
  return found != on.end() ? found->second : check.on_by_default;
}

CheckReport check_report(const std::string& file, const ConfigReading& reading,
                         const LoadedBoard* loaded, const CheckSettings& settings) {
  CheckReport report;
  std::vector<Diagnostic> diagnostics;
  const CheckInput input{reading, loaded};
  for (const BoardCheck& check : kChecks) {
    if (!settings.runs(check)) continue;
    const std::size_t first = diagnostics.size();
    check.run(input, diagnostics);
    const bool error = settings.all_errors || settings.errors.contains(check.name);
    for (std::size_t i = first; i < diagnostics.size(); ++i) {
      if (error) diagnostics[i].severity = "error";
      diagnostics[i].text += error ? " [-Werror=" + std::string(check.name) + "]"
                                   : " [-W" + std::string(check.name) + "]";
      report.failed = report.failed || error;
    }
  }
  if (reading.status != kStatusOk) {
    const ParseStop& stop = reading.stop;
    Diagnostic error = error_diagnostic(reading.status, {stop.line, stop.full_line, stop.column});
    annotate(reading, error, lines_for(reading, {error}));
    diagnostics.push_back(std::move(error));
    report.failed = true;
  }
  // In file order; the parser's error last among those at its place.
  std::stable_sort(diagnostics.begin(), diagnostics.end(),
                   [](const Diagnostic& a, const Diagnostic& b) {
                     return std::tie(a.place.full_line, a.place.column) <
                            std::tie(b.place.full_line, b.place.column);
                   });
  const LineTexts lines = lines_for(reading, diagnostics);
  for (const Diagnostic& diagnostic : diagnostics) {
    report.text += render_diagnostic(file, diagnostic, lines);
  }
  return report;
}

}  // namespace kvr

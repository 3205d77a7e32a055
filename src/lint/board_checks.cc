#include "lint/board_checks.h"

#include <algorithm>
#include <optional>
#include <tuple>
#include <unordered_set>

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

// The `length` bytes that begin `offset` bytes after `place`.
SourceRange range_of(const CheckInput& input, const NamePlace& place, std::size_t length,
                     std::uint32_t offset = 0) {
  const std::uint32_t column = place.column + offset;
  return range_of(input.lines, place.full_line, column,
                  column + static_cast<std::uint32_t>(length));
}

Remark help(std::string text, std::vector<FixIt> fixes = {}) {
  return {Remark::Kind::kHelp, {}, std::move(text), std::move(fixes)};
}

// A fix-it that replaces `range` by `text`.
FixIt replacement(std::string title, const SourceRange& range, std::string text) {
  return {std::move(title), {{range, std::move(text)}}};
}

std::string quoted(std::string_view text) {
  return "`" + std::string(text) + "'";
}

// A warning at `range`; the check's name and severity are set when the checks have run.
Diagnostic warning(const SourceRange& range, std::string text, std::vector<Remark> remarks = {}) {
  Diagnostic d;
  d.severity = Severity::kWarning;
  d.message = std::move(text);
  d.range = range;
  d.remarks = std::move(remarks);
  return d;
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
  for (const WrittenDevice& device : input.written.devices) {
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
          const SourceRange range = range_of(input, device.class_place, device.class_id.size());
          found.push_back(warning(
              range,
              "class ID " + quoted(device.class_id) + " is taken as " + table[r].type_name + " (" +
                  ir_text(table[r], r, upper) + "), but it begins like " + other.type_name + " (" +
                  ir_text(other, s, upper) + ") with its last " + std::to_string(missing) +
                  (missing == 1 ? " character" : " characters") + " missing",
              {help("write " + quoted(other.type_name) + " in full where that family is meant",
                    {replacement("write " + quoted(other.type_name), range, other.type_name)})}));
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
    // The same class written plainly, where its digits are those of the value read.
    std::vector<FixIt> fixes;
    if (const std::optional<std::string> plain = digits_for(value, digit_count(row));
        plain && hex_or_x((*plain)[0]) && written.size() == plain->size()) {
      const std::string id = device.class_id.substr(0, row.literal_length) + *plain;
      fixes.push_back(replacement("write " + quoted(id) + ", the same class",
                                  range_of(input, device.class_place, device.class_id.size()), id));
    }
    found.push_back(
        warning(range_of(input, device.class_place, written.size(), row.literal_length),
                "the characters " + quoted(written) + " of class ID " + quoted(device.class_id) +
                    " are not hexadecimal digits: they are read as " + hex_text(value) +
                    ", which gives the high-level class " + hex_text(row.high_level_base + value),
                {help("write the " + std::to_string(written.size()) + " characters after " +
                          quoted(std::string_view(row.type_name, row.literal_length)) +
                          " as hexadecimal digits" + (has_x ? ", or as x's" : ""),
                      std::move(fixes))}));
  });
}

void unknown_variable(const CheckInput& input, std::vector<Diagnostic>& found) {
  std::vector<const char*> names;
  for (const DocumentedVariable& v : documented_variables()) names.push_back(v.name);
  std::unordered_set<std::string> written;  // upper-cased, as documented names are written
  for (const WrittenVariable& variable : input.written.variables) {
    written.insert(upper_cased(variable.name));
  }
  for (const WrittenVariable& variable : input.written.variables) {
    if (find_documented_variable(variable.name) != nullptr) continue;
    const SourceRange range = range_of(input, variable.name_place, variable.name.size(), 1);
    std::vector<Remark> remarks;
    if (std::optional<std::string> near = closest(variable.name, names)) {
      // A name another variable has would be a name used twice.
      std::vector<FixIt> fixes;
      if (!written.contains(upper_cased(*near))) {
        fixes.push_back(replacement("write [" + *near + "]", range, *near));
      }
      remarks.push_back(help("did you mean [" + *near + "]?", std::move(fixes)));
    }
    found.push_back(
        warning(range, "variable [" + variable.name + "] is not one that `kvrbuild -vi' documents",
                std::move(remarks)));
  }
}

void variable_kind(const CheckInput& input, std::vector<Diagnostic>& found) {
  for (const WrittenVariable& variable : input.written.variables) {
    const DocumentedVariable* documented = find_documented_variable(variable.name);
    if (documented == nullptr) continue;
    const ValueKind kind = kind_of_value(variable.value);
    if ((documented->kinds & kind) != 0) continue;
    const char* how = documented->kinds == kBooleanValue  ? "write yes or no"
                      : documented->kinds == kNumberValue ? "write a number, such as 8 or 0x240"
                      : documented->kinds == kStringValue
                          ? "write the value between single quotes, such as 'KVR200.OUT'"
                          : "write a number, or a string between single quotes";
    found.push_back(warning(range_of(input, variable.value_place, variable.value.size()),
                            "[" + variable.name + "] takes " +
                                std::string(kinds_text(documented->kinds)) + ", but " +
                                quoted(variable.value) + " is " + std::string(kinds_text(kind)),
                            {help(how)}));
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
  for (const WrittenVariable& variable : input.written.variables) {
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
    const SourceRange range = range_of(input, variable.value_place, variable.value.size());
    std::vector<FixIt> fixes;
    constexpr std::size_t kMostFixes = 4;
    for (const std::uint64_t length : lengths) {
      if (lengths.size() > kMostFixes) break;
      fixes.push_back(replacement("set [" + variable.name + "] to " + std::to_string(length), range,
                                  std::to_string(length)));
    }
    fixes.push_back(replacement("set [" + variable.name + "] to 0", range, "0"));
    found.push_back(warning(
        range,
        "[" + variable.name + "] is " + std::to_string(given) + ", but the scan path holds " +
            listed + (ir ? " IR bits" : " devices") +
            (lengths.size() > 1 ? ", as its linkers select a sub-path or none" : ""),
        {help("give 0 to have the length worked out from the scan path, or -Wno-path-size where "
              "the description leaves devices out on purpose",
              std::move(fixes))}));
  }
}

void cr_line_ends(const CheckInput& input, std::vector<Diagnostic>& found) {
  const std::string& text = input.reading.text;
  const std::size_t end = std::min(text.find('\x1a'), text.size());
  for (std::size_t at = text.find('\r'); at < end; at = text.find('\r', at + 1)) {
    if (at + 1 < text.size() && text[at + 1] == '\n') continue;
    // At its place among the lines as the reader reads them, a line too long cut in two.
    Diagnostic lone = warning(range_at_offset(input.lines, at, 1),
                              "a carriage return without a line feed ends no line: what follows "
                              "it is read as part of this line",
                              {help("save the file with LF or CR LF line ends")});
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
    const WrittenDevice& written = input.written.devices[i];
    found.push_back(warning(range_of(input, written.name_place, written.name.size() + 2),
                            "linker " + quoted(written.name) + " has four empty sub-paths",
                            {help("list the devices of its sub-paths in its four groups, or "
                                  "remove it")}));
  }
}

}  // namespace

const char* label_late(std::string_view text, std::size_t* column) {
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

namespace {

void label(const CheckInput& input, std::vector<Diagnostic>& found) {
  std::size_t column = 0;
  const char* why = label_late(input.reading.text, &column);
  if (input.loaded == nullptr || input.reading.version != 1 || why == nullptr) return;
  const auto at = static_cast<std::uint32_t>(column);
  found.push_back(warning(range_of(input.lines, 1, at, at + format::kLabelLength),
                          "the label `;CFG-2.0' comes after " + std::string(why) +
                              ", so the file is read as a version 1 board configuration",
                          {help("begin the file with the label itself",
                                {replacement("remove what stands before the label",
                                             range_of(input.lines, 1, 0, at), "")})}));
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

}  // namespace

std::span<const BoardCheck> board_checks() {
  return kChecks;
}

bool CheckSettings::apply(const std::string& word) {
  if (word == "error") {
    all_errors = true;
    return true;
  }
  if (word == "no-error") {
    no_error = true;
    return true;
  }
  if (word.starts_with("no-error=")) {
    const std::string name = word.substr(9);
    const bool known = std::any_of(std::begin(kChecks), std::end(kChecks),
                                   [&](const BoardCheck& check) { return name == check.name; });
    if (known) no_error_for.insert(name);
    return known;
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

CheckSettings CheckSettings::resolved(bool all_errors_by_default) const {
  CheckSettings settings = *this;
  settings.all_errors = false;
  if (!no_error && (all_errors || all_errors_by_default)) {
    for (const BoardCheck& check : kChecks) settings.errors.insert(check.name);
  } else if (no_error) {
    settings.errors.clear();
  }
  for (const std::string& name : no_error_for) settings.errors.erase(name);
  return settings;
}

bool CheckSettings::runs(const BoardCheck& check) const {
  if (!warnings) return false;
  const auto found = on.find(check.name);
  return found != on.end() ? found->second : check.on_by_default;
}

std::vector<Diagnostic> check_findings(const CheckInput& input, const CheckSettings& settings) {
  std::vector<Diagnostic> found;
  for (const BoardCheck& check : kChecks) {
    if (!settings.runs(check)) continue;
    const std::size_t first = found.size();
    check.run(input, found);
    const bool error = settings.all_errors || settings.errors.contains(check.name);
    for (std::size_t i = first; i < found.size(); ++i) {
      found[i].severity = error ? Severity::kError : Severity::kWarning;
      found[i].check = check.name;
    }
  }
  return found;
}

}  // namespace kvr

#include "config/board_config_parser.h"

#include <array>
#include <cstddef>
#include <new>
#include <string>
#include <utility>

#include "base/ascii.h"
#include "config/class_table.h"
#include "config/config_variables.h"
#include "config/device_classes.h"
#include "config/model_append.h"
#include "database/format.h"
#include "database/path_rules.h"

namespace kvr {
namespace {

constexpr std::size_t kMaxClassId = 32;
constexpr std::uint32_t kLinkerIrLength = 8;
constexpr std::uint32_t kLinkerGroups = 4;

using ClassId = std::array<char, kMaxClassId + 1>;

// Everything one call of the parser works with.
struct Parse {
  BoardModel& model;
  LineState& line;
  const LineSource& source;
  std::uint8_t version;
  const FamilyTable& table;
  std::uint32_t main_tail = 0;  // dev_id of the last device on the main path
  bool has_linker_class = false;
  std::uint32_t linker_class = 0;  // index of the class record all linkers share
};

char current(const Parse& p) {
  return p.line.buffer[p.line.column];
}

bool ends_class_id(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ';' || c == '\0';
}

// Takes the class ID token at `column`, upper-cased.
Status read_class_id(LineState& line, ClassId& token) {
  const char* start = line.buffer + line.column;
  std::size_t length = 0;
  while (!ends_class_id(start[length])) {
    if (length == kMaxClassId) return kStatusClassTooLong;
    token[length] = to_upper(start[length]);
    ++length;
  }
  token[length] = '\0';
  line.column = static_cast<std::uint16_t>(line.column + length);
  return kStatusOk;
}

// A group's devices are the last ones appended, from `first` on.
void close_subpath(BoardModel& model, std::uint32_t first) {
  const DeviceRecord last = model.devices[model.device_count - 1];
  for (std::uint32_t id = first; id <= model.device_count; ++id) {
    set_trailing_fields(model.devices[id - 1], last, 1);
  }
}

// Walks the main path back from its last device; devices inside groups keep their values.
void close_main_path(BoardModel& model, std::uint32_t tail) {
  const DeviceRecord last = model.devices[tail - 1];
  for (std::uint32_t id = tail; id != 0; id = model.devices[id - 1].prior) {
    set_trailing_fields(model.devices[id - 1], last, 0);
  }
}

Status read_device_name(Parse& p) {
  DeviceName name{};
  if (Status status = parse_device_name(p.line, p.model, name); status != kStatusOk) {
    return status;
  }
  return append_device_name(p.model, name);
}

// One group of linker `linker`, from its '{' to its '}'.
Status read_group(Parse& p, std::uint32_t linker, std::uint32_t k) {
  if (Status status = skip_blanks(p.line, p.source); status != kStatusOk) return status;
  if (current(p) != '{') return kStatusBraceMisplaced;
  ++p.line.column;
  if (Status status = skip_blanks(p.line, p.source); status != kStatusOk) return status;
  if (current(p) == '}') {
    ++p.line.column;
    p.model.devices[linker - 1].sub_id[k] = 0;
    return kStatusOk;
  }
  const std::uint32_t first = p.model.device_count + 1;
  p.model.devices[linker - 1].sub_id[k] = first;
  std::uint32_t group_tail = 0;
  do {
    if (Status status = read_device_name(p); status != kStatusOk) return status;
    if (Status status = skip_blanks(p.line, p.source); status != kStatusOk) return status;
    ClassId token{};
    if (Status status = read_class_id(p.line, token); status != kStatusOk) return status;
    // No look-up first: a group takes a bypass or generic ID with fewer digits than the table.
    Status status = resolve_device_class(p.model, token.data(), group_tail, linker, k, p.version);
    if (status != kStatusOk) return status;
    group_tail = p.model.device_count;
    if (status = skip_blanks(p.line, p.source); status != kStatusOk) return status;
  } while (current(p) != '}');
  ++p.line.column;
  close_subpath(p.model, first);
  return kStatusOk;
}

// A linker whose name is already the last device name; `row` is the linker's family row.
Status read_linker(Parse& p, std::uint32_t row) {
  const std::uint32_t linker = p.model.device_count;
  if (!p.has_linker_class) {
    p.linker_class = p.model.class_count;
    if (Status status = append_class_block(p.model, 1, 0); status != kStatusOk) return status;
    p.has_linker_class = true;
  }
  if (Status status = grow_device_classes(p.model); status != kStatusOk) return status;
  p.model.device_classes[linker - 1] = p.table[row].high_level_base;
  if (Status status = grow_device_records(p.model); status != kStatusOk) return status;
  DeviceRecord& record = p.model.devices[linker - 1];
  record = DeviceRecord{};
  record.dev_id = linker;
  record.cls_id = p.linker_class;
  record.prior = p.main_tail;
  record.connect = 1;

  for (std::uint32_t k = 0; k < kLinkerGroups; ++k) {
    if (Status status = read_group(p, linker, k); status != kStatusOk) return status;
  }

  // Only now, after its groups, does the linker take its place on the main path.
  DeviceRecord& done = p.model.devices[linker - 1];
  done.mainIR = kLinkerIrLength;
  if (done.prior != 0) set_leading_fields(done, p.model.devices[done.prior - 1]);
  p.main_tail = linker;
  return kStatusOk;
}

Status read_main_device(Parse& p) {
  if (Status status = read_device_name(p); status != kStatusOk) return status;
  if (Status status = skip_blanks(p.line, p.source); status != kStatusOk) return status;
  ClassId token{};
  if (Status status = read_class_id(p.line, token); status != kStatusOk) return status;
  // The main path demands an exact table match, so a bypass or generic ID needs all its digits.
  std::uint32_t row = kNoFamilyRow;
  if (Status status = find_family_row(token.data(), &row, p.version); status != kStatusOk) {
    return status;
  }
  const FamilyRow& port = p.table[kPortRow];
  const FamilyRow& linker = p.table[kLinkerRow];
  if (same_first_chars(token.data(), port.type_name, port.literal_length)) {
    return kStatusPortOnMainPath;
  }
  if (same_first_chars(token.data(), linker.type_name, linker.literal_length)) {
    return read_linker(p, row);
  }
  Status status = resolve_device_class(p.model, token.data(), p.main_tail, 0, 0, p.version);
  if (status != kStatusOk) return status;
  p.main_tail = p.model.device_count;
  return kStatusOk;
}

Status read_variable(Parse& p) {
  std::string name;
  std::string value;
  if (Status status = parse_variable_name(p.line, p.model, name); status != kStatusOk) {
    return status;
  }
  if (Status status = skip_blanks(p.line, p.source); status != kStatusOk) return status;
  if (Status status = parse_variable_value(p.line, value); status != kStatusOk) return status;
  return append_variable(p.model, std::move(name), std::move(value));
}

// The label line stays in the buffer at column 0, so the statement loop passes over it as a
// comment.
Status read_label(Parse& p) {
  if (Status status = read_line(p.line, p.source); status != kStatusOk) return status;
  if (equal_nocase_n(p.line.buffer, format::kConfigLabel, format::kLabelLength) != 0) {
    return kStatusLabelMissing;
  }
  return kStatusOk;
}

Status parse_file(Parse& p) {
  // Every format version but 1 carries the label, as every version but 1 uses the newer table.
  if (p.version != 1) {
    if (Status status = read_label(p); status != kStatusOk) return status;
  }
  for (;;) {
    Status status = skip_blanks(p.line, p.source);
    if (status == kStatusUnexpectedEnd) break;  // the file ended between statements
    if (status != kStatusOk) return status;
    status = current(p) == '[' ? read_variable(p) : read_main_device(p);
    if (status != kStatusOk) return status;
  }
  if (p.model.device_count != 0) close_main_path(p.model, p.main_tail);
  return kStatusOk;
}

}  // namespace

Status parse_board_config(BoardModel& model, LineState& line, const LineSource& source,
                          std::uint32_t* device_count_out, std::uint32_t* line_out,
                          std::uint8_t version) {
  if (device_count_out != nullptr) *device_count_out = 0;
  if (line_out != nullptr) *line_out = 0;
  Parse parse{model, line, source, version, family_table_for(version)};
  Status status = kStatusOk;
  try {
    status = parse_file(parse);
  } catch (const std::bad_alloc&) {
    // Every growth point reports -131 itself; this only keeps the promise that no exception
    // leaves the parser should a future growth point forget to.
    status = kStatusNoMemory;
  }
  std::rewind(source.stream);
  if (device_count_out != nullptr) *device_count_out = model.device_count;
  if (line_out != nullptr) *line_out = line.line_number;
  return status;
}

}  // namespace kvr

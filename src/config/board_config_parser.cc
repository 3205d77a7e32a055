#include "config/board_config_parser.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <new>
#include <string_view>
#include <utility>

#include "base/ascii.h"
#include "config/class_table.h"
#include "config/config_variables.h"
#include "config/device_classes.h"
#include "config/model_append.h"
#include "config/name_check.h"
#include "database/format.h"

namespace kvr {
namespace {

constexpr std::size_t kMaxClassId = 32;
constexpr std::uint32_t kLinkerIrLength = 8;
constexpr std::uint32_t kLinkerGroups = 4;

using ClassId = std::array<char, kMaxClassId + 1>;

// The name read last, before its statement is done and it is appended.
struct OpenName {
  bool open = false;
  bool device = false;
  DeviceName device_name{};
  VariableName variable_name{};
  std::size_t variable_size = 0;
  std::uint64_t hash = 0;
  NamePlace place{};
};

// The class ID resolved last, with what it gave: a run of like devices resolves its ID once.
struct ClassMemo {
  bool valid = false;
  bool main_path = false;  // resolved as on the main path, where the table must match exactly
  ClassId token{};
  DeviceEntry device{};  // its family, IR length and high-level class
};

// Everything one call of the parser works with.
struct Parse {
  BoardModel& model;
  LineState& line;
  LineReader& reader;
  std::uint8_t version;
  const FamilyTable& table;
  NameCheck& check;
  bool keep_devices;  // what the model keeps, and everything when names are checked at once
  bool keep_variables;
  OpenName name{};
  NamePlace duplicate{};           // where a duplicate stands, when one ended the parse
  std::uint16_t token_column = 0;  // where the token being read begins
  ParseObserver* observer = nullptr;
  NamePlace class_place{};  // the class ID last read, for the observer
  std::string_view class_written{};
  ClassMemo memo{};
};

// Takes the class of a device from the memo when its class ID is the one resolved last.
bool take_memo(Parse& p, const ClassId& token, bool main_path, DeviceEntry& device) {
  const ClassMemo& memo = p.memo;
  if (!memo.valid || memo.main_path != main_path || memo.token != token) return false;
  device.family = memo.device.family;
  device.mainIR = memo.device.mainIR;
  device.high_level = memo.device.high_level;
  ++p.model.family_use_count[device.family];
  return true;
}

// Remembers what resolving `token` gave.
void keep_memo(Parse& p, const ClassId& token, bool main_path, const DeviceEntry& device,
               Status status) {
  p.memo = ClassMemo{status == kStatusOk, main_path, token, device};
}

// Tells the observer, if any, of the device just appended.
void observe_device(Parse& p) {
  if (p.observer != nullptr) {
    p.observer->device(p.model.device_count - 1, p.name.device_name.data(), p.name.place,
                       p.class_place, p.class_written);
  }
}

// Where the token being read stands.
NamePlace token_place(const Parse& p) {
  return NamePlace{p.line.line_count, p.line.line_number, p.token_column};
}

std::string_view open_variable_name(const Parse& p) {
  return std::string_view(p.name.variable_name.data(), p.name.variable_size);
}

// When names are checked at once: whether the name just read has an earlier twin, before the rest
// of its statement (and, in verbose mode, a later line) is read.
Status check_open_name(Parse& p) {
  if (!p.check.at_once) return kStatusOk;
  const OpenName& name = p.name;
  const bool taken = name.device
                         ? device_name_taken(p.check, p.model, name.device_name, name.hash)
                         : variable_name_taken(p.check, p.model, open_variable_name(p), name.hash);
  if (!taken) return kStatusOk;
  p.duplicate = name.place;
  return name.device ? kStatusDeviceNameDuplicate : kStatusVariableNameDuplicate;
}

// The open name's statement is complete: it was appended as `id`.
Status close_name(Parse& p, std::uint32_t id) {
  p.name.open = false;
  return p.name.device ? note_device_name(p.check, p.model, p.name.hash, id)
                       : note_variable_name(p.check, p.model, p.name.hash, id);
}

char current(const Parse& p) {
  return p.line.buffer[p.line.column];
}

// Every token is looked for with this step, so `token_column` follows it.
Status skip_blanks(Parse& p) {
  const Status status = p.reader.skip_blanks(p.line);
  if (status == kStatusOk) p.token_column = p.line.column;
  return status;
}

// Takes the class ID token at `column`, upper-cased: up to the next blank, ';' or line end.
Status read_class_id(LineState& line, ClassId& token) {
  static constexpr auto kUpper = [] {  // each character upper-cased, and 0 for one that ends it
    std::array<char, 256> upper{};
    for (int c = 0; c < 256; ++c)
      upper[static_cast<std::size_t>(c)] = to_upper(static_cast<char>(c));
    for (const char end : {' ', '\t', '\n', '\r', ';'})
      upper[static_cast<unsigned char>(end)] = '\0';
    return upper;
  }();
  const char* start = line.buffer + line.column;
  std::size_t length = 0;
  for (char c; (c = kUpper[static_cast<unsigned char>(start[length])]) != '\0'; ++length) {
    if (length == kMaxClassId) return kStatusClassTooLong;
    token[length] = c;
  }
  token[length] = '\0';
  line.column = static_cast<std::uint16_t>(line.column + length);
  return kStatusOk;
}

// A device's name, then its class ID token.
Status read_name_and_class(Parse& p, DeviceEntry& device, ClassId& token) {
  DeviceName name{};
  if (Status status = parse_device_name(p.line, name); status != kStatusOk) return status;
  p.name.open = true;
  p.name.device = true;
  p.name.device_name = name;
  p.name.hash = device_name_hash(p.check, name);
  p.name.place = token_place(p);
  if (Status status = check_open_name(p); status != kStatusOk) return status;
  std::copy(name.begin(), name.begin() + 8, device.name.begin());
  if (Status status = skip_blanks(p); status != kStatusOk) return status;
  p.class_place = token_place(p);
  const Status status = read_class_id(p.line, token);
  p.class_written =
      std::string_view(p.line.buffer + p.class_place.column, p.line.column - p.class_place.column);
  return status;
}

// Group `k` of the linker last appended, from its '{' to its '}'.
Status read_group(Parse& p, std::uint32_t k) {
  if (Status status = skip_blanks(p); status != kStatusOk) return status;
  if (current(p) != '{') return kStatusBraceMisplaced;
  ++p.line.column;
  if (Status status = skip_blanks(p); status != kStatusOk) return status;
  const std::size_t linker = p.model.linkers.size() - 1;
  if (current(p) != '}') p.model.linkers[linker].sub_id[k] = p.model.device_count + 1;
  while (current(p) != '}') {
    DeviceEntry device{};
    ClassId token{};
    if (Status status = read_name_and_class(p, device, token); status != kStatusOk) return status;
    // No look-up first: a group takes a bypass or generic ID with fewer digits than the table.
    Status status = kStatusOk;
    if (!take_memo(p, token, false, device)) {
      status = resolve_device_class(p.model, token.data(), p.version, device);
      keep_memo(p, token, false, device, status);
      if (status != kStatusOk) return status;
    }
    device.place = static_cast<std::uint8_t>(k);
    if (status = append_device(p.model, device, p.keep_devices); status != kStatusOk) return status;
    observe_device(p);
    if (status = close_name(p, p.model.device_count - 1); status != kStatusOk) return status;
    p.model.linkers[linker].group_ir[k] += device.mainIR;
    p.model.linkers[linker].group_devices[k] += 1;
    if (status = skip_blanks(p); status != kStatusOk) return status;
  }
  ++p.line.column;
  return kStatusOk;
}

// A linker, whose name is read; `row` is the linker's family row.
Status read_linker(Parse& p, DeviceEntry& linker, std::uint32_t row) {
  if (p.model.linkers.empty()) {  // all linkers share one class record
    p.model.linker_class = p.model.class_count;
    if (Status status = append_class_block(p.model, 1, 0); status != kStatusOk) return status;
  }
  linker.family = static_cast<std::uint8_t>(row);
  linker.mainIR = kLinkerIrLength;
  linker.high_level = p.table[row].high_level_base;
  linker.place = kLinkerPlace;
  if (Status status = append_device(p.model, linker, p.keep_devices); status != kStatusOk)
    return status;
  observe_device(p);
  if (Status status = close_name(p, p.model.device_count - 1); status != kStatusOk) return status;
  try {
    p.model.linkers.push_back(LinkerEntry{p.model.device_count, {}, {}, {}});
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  for (std::uint32_t k = 0; k < kLinkerGroups; ++k) {
    if (Status status = read_group(p, k); status != kStatusOk) return status;
  }
  p.model.main_ir += kLinkerIrLength;
  p.model.main_devices += 1;
  return kStatusOk;
}

Status read_main_device(Parse& p) {
  DeviceEntry device{};
  ClassId token{};
  if (Status status = read_name_and_class(p, device, token); status != kStatusOk) return status;
  Status status = kStatusOk;
  if (!take_memo(p, token, true, device)) {
    // The main path demands an exact table match, so a bypass or generic ID needs all its digits.
    std::uint32_t row = kNoFamilyRow;
    if (status = find_family_row(token.data(), &row, p.version); status != kStatusOk) return status;
    const FamilyRow& port = p.table[kPortRow];
    const FamilyRow& linker = p.table[kLinkerRow];
    if (same_first_chars(token.data(), port.type_name, port.literal_length)) {
      return kStatusPortOnMainPath;
    }
    if (same_first_chars(token.data(), linker.type_name, linker.literal_length)) {
      return read_linker(p, device, row);
    }
    status = resolve_device_class(p.model, token.data(), p.version, device);
    keep_memo(p, token, true, device, status);
  }
  device.place = kMainPathPlace;
  if (status == kStatusOk) status = append_device(p.model, device, p.keep_devices);
  if (status == kStatusOk) observe_device(p);
  if (status == kStatusOk) status = close_name(p, p.model.device_count - 1);
  if (status != kStatusOk) return status;
  p.model.main_ir += device.mainIR;
  p.model.main_devices += 1;
  return kStatusOk;
}

Status read_variable(Parse& p) {
  if (Status status = parse_variable_name(p.line, p.name.variable_name, &p.name.variable_size);
      status != kStatusOk) {
    return status;
  }
  p.name.open = true;
  p.name.device = false;
  p.name.hash = variable_name_hash(p.check, open_variable_name(p));
  p.name.place = token_place(p);
  if (Status status = check_open_name(p); status != kStatusOk) return status;
  if (Status status = skip_blanks(p); status != kStatusOk) return status;
  std::string_view value;
  if (Status status = parse_variable_value(p.line, value); status != kStatusOk) return status;
  std::uint32_t location = 0;
  Status status =
      append_variable(p.model, open_variable_name(p), value, p.keep_variables, location);
  if (status == kStatusOk && p.observer != nullptr) {
    p.observer->variable(open_variable_name(p), value, p.name.place, token_place(p));
  }
  return status == kStatusOk ? close_name(p, location) : status;
}

// The label line stays in the buffer at column 0, so the statement loop passes over it as a
// comment.
Status read_label(Parse& p) {
  if (Status status = p.reader.read_line(p.line); status != kStatusOk) return status;
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
    Status status = skip_blanks(p);
    if (status == kStatusUnexpectedEnd) return kStatusOk;  // the file ended between statements
    if (status != kStatusOk) return status;
    status = current(p) == '[' ? read_variable(p) : read_main_device(p);
    if (status != kStatusOk) return status;
  }
}

// Whether the parse that ended with `status` must read the file again, checking at once the names
// that may repeat: it checked afterwards, and a noted name, or the name of the statement that
// failed, may repeat an earlier one.
Status needs_second_reading(Parse& p, Status status, bool& again) {
  again = false;
  if (p.check.at_once) return kStatusOk;
  const UnnotedName failed{p.name.device, p.name.hash};
  const bool with_failed = status != kStatusOk && p.name.open;
  return look_for_repeats(p.check, with_failed ? &failed : nullptr, again);
}

// Where the parse stopped with `status`: a duplicate at its own name; a file that ends too early
// just past the end of its last line; a line too long at its first character too many; anything
// else at the token being read.
ParseStop stop_of(const Parse& p, Status status) {
  if (status == kStatusDeviceNameDuplicate || status == kStatusVariableNameDuplicate) {
    return {p.duplicate.line, p.duplicate.full_line, p.duplicate.column + 1u};
  }
  std::uint32_t column = p.token_column + 1u;
  if (status == kStatusUnexpectedEnd) {
    column = p.line.length + 1u - (p.line.length > 0 && p.line.buffer[p.line.length - 1] == '\n');
  } else if (status == kStatusLineTooLong) {
    column = p.line.length;
  }
  return {p.line.line_number, p.line.line_count, status == kStatusOk ? 0 : column};
}

// One reading of the whole source into `model`; `stop` receives where it stopped.
Status read_source(BoardModel& model, const LineSource& source, std::uint8_t version,
                   ParseObserver* observer, NameCheck& check, ParseStop& stop, bool& again) {
  const auto line = std::make_unique<LineState>();
  LineReader reader(source);
  Parse parse{model,
              *line,
              reader,
              version,
              family_table_for(version),
              check,
              model.keep_devices || check.at_once,
              model.keep_variables || check.at_once};
  parse.observer = observer;
  Status status = parse_file(parse);
  if (Status checked = needs_second_reading(parse, status, again); checked != kStatusOk) {
    status = checked;
  }
  stop = stop_of(parse, status);
  return status;
}

// Makes `model` empty again, as it was before the first reading.
void empty_model(BoardModel& model) {
  BoardModel empty;
  empty.keep_devices = model.keep_devices;
  empty.keep_variables = model.keep_variables;
  model = std::move(empty);
}

}  // namespace

Status parse_board_config(BoardModel& model, const LineSource& source,
                          std::uint32_t* device_count_out, std::uint32_t* line_out,
                          std::uint8_t version, ParseStop* stop_out, ParseObserver* observer) {
  Status status = kStatusOk;
  ParseStop stop;
  // Names are checked afterwards unless the verbose echo needs them at once, or the source could
  // not be read a second time.
  std::fpos_t start{};
  const bool can_rewind = source.stream == nullptr || std::fgetpos(source.stream, &start) == 0;
  try {
    const auto check = std::make_unique<NameCheck>();
    start_name_check(*check, source.verbose != 0 || !can_rewind);
    // Where the model keeps the variables, their arena already takes memory about the size of
    // the input: their log spares the rounding up of huge pages, at the cost of more faults.
    if (model.keep_variables) check->variable_log.use_small_pages();
    bool again = false;
    status = read_source(model, source, version, observer, *check, stop, again);
    if (again && (source.stream == nullptr || std::fsetpos(source.stream, &start) == 0)) {
      empty_model(model);
      status = read_source(model, source, version, nullptr, *check, stop, again);
    }
  } catch (const std::bad_alloc&) {
    status = kStatusNoMemory;  // the line and its reader could not be made
  }
  if (source.stream != nullptr) std::rewind(source.stream);
  if (device_count_out != nullptr) *device_count_out = model.device_count;
  if (line_out != nullptr) *line_out = stop.line;
  if (stop_out != nullptr) *stop_out = stop;
  return status;
}

}  // namespace kvr

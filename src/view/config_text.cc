#include "view/config_text.h"

#include <memory>
#include <new>
#include <unordered_set>

#include "base/ascii.h"
#include "config/board_config_parser.h"
#include "config/config_variables.h"
#include "database/byte_sink.h"
#include "database/database_writer.h"
#include "lint/class_ids.h"
#include "lint/diagnostics.h"
#include "view/database_compare.h"
#include "view/family_choice.h"

namespace kvr {
namespace {

// Whether `text`, alone on a line, is read by `routine` as exactly itself.
template <typename Routine>
Status read_alone(LineState& line, const std::string& text, Routine routine) {
  if (text.size() + 1 >= LineState::kBufferSize) return kStatusValueInvalid;
  text.copy(line.buffer, text.size());
  line.buffer[text.size()] = '\n';
  line.buffer[text.size() + 1] = '\0';
  line.column = 0;
  line.length = static_cast<std::uint16_t>(text.size() + 1);
  return routine();
}

// Each variable must read back, as the parser reads a statement, as its own name and value.
bool check_variables(const StoredBoard& board, std::string& refusal) {
  const auto line = std::make_unique<LineState>();
  std::unordered_set<std::string> names;
  for (std::size_t i = 0; i < board.variables.size(); ++i) {
    const StoredVariable& v = board.variables[i];
    VariableName name{};
    std::string_view value;
    Status status = read_alone(*line, "[" + v.name + "]", [&] {
      const Status read = parse_variable_name(*line, name);
      return read != kStatusOk || line->column == v.name.size() + 2 ? read
                                                                    : kStatusVariableNameInvalid;
    });
    const char* what = "its name";
    if (status == kStatusOk && !names.insert(lower_cased(v.name)).second)
      status = kStatusVariableNameDuplicate;
    if (status == kStatusOk) {
      what = "its value";
      status = read_alone(*line, v.value, [&] {
        const bool starts_token = !v.value.empty() && v.value.find_first_of(" \t\r\n;") != 0;
        const Status read = starts_token ? parse_variable_value(*line, value) : kStatusValueInvalid;
        return read != kStatusOk || value == v.value ? read : kStatusValueInvalid;
      });
    }
    if (status != kStatusOk) {
      refusal = "variable " + std::to_string(i) + " (offset " + hex_text(v.offset) + "): " + what +
                " cannot stand in a board.cfg: " + status_title(status);
      return false;
    }
  }
  return true;
}

// Why a name field holds no name a board.cfg can give, or null.
const char* name_fault(const std::array<char, 8>& field) {
  const std::string_view name = name_in(field);
  if (name.empty()) return "is empty";
  for (std::size_t k = name.size(); k < field.size(); ++k) {
    if (field[k] != '\0') return "holds bytes after the name's end";
  }
  for (std::size_t k = 0; k < name.size(); ++k) {
    if (is_upper(name[k])) return "holds upper case, which a board.cfg stores in lower case";
    if (!(k == 0 ? is_letter(name[k]) : is_name_char(name[k]))) {
      return "is no device name (a letter, then letters, digits or underscores)";
    }
  }
  return nullptr;
}

bool check_names(const StoredBoard& board, std::string& refusal) {
  std::unordered_set<std::string_view> names;
  for (std::size_t i = 0; i < board.name_fields.size(); ++i) {
    const char* fault = name_fault(board.name_fields[i]);
    if (fault == nullptr && !names.insert(name_in(board.name_fields[i])).second) {
      fault = "is the name of an earlier device";
    }
    if (fault != nullptr) {
      refusal = "device " + std::to_string(i + 1) + " (high-level entry at offset " +
                hex_text(board.high_level_offset + 12 * static_cast<std::uint32_t>(i)) +
                "): its name field " + fault;
      return false;
    }
  }
  return true;
}

// The database's name as the header shows it: printable, and short enough for any line limit (a
// long path keeps its end, where the file's own name is).
std::string shown_name(const std::string& source) {
  constexpr std::size_t kLongest = 200;
  std::string name =
      source.size() <= kLongest ? source : "..." + source.substr(source.size() - kLongest + 3);
  for (char& c : name) c = c >= ' ' && c <= '~' ? c : '?';
  return name;
}

std::string header(const StoredBoard& board, const std::string& source) {
  const std::string name = shown_name(source);
  const std::string version = std::to_string(board.version);
  return std::string(board.version == 2 ? ";CFG-2.0\n" : "") +
         "; A board configuration made by kvrview from the version " + version +
         " board database `" + name + "'.\n; `kvrbuild -g" + version +
         "' compiles it back to the same bytes.\n";
}

std::string device_line(const StoredBoard& board, std::size_t i, const std::string& class_id) {
  std::string line = "\"" + std::string(name_in(board.name_fields[i])) + "\"";
  line.resize(10, ' ');
  return line + " " + class_id + "\n";
}

// The groups of the linker being written: which is open, and closing them all.
struct LinkerGroups {
  std::size_t linker = 0;  // the position (dev_id) of the linker, or 0
  int open = -1;           // the group open now, or -1

  void open_group(int k, std::string& text) {
    if (open >= 0) text += "}\n";
    for (int g = open + 1; g < k; ++g) text += "{ }\n";
    text += "{\n";
    open = k;
  }
  void finish(std::string& text) {
    if (linker != 0) {
      if (open >= 0) text += "}\n";
      for (int g = open + 1; g < 4; ++g) text += "{ }\n";
    }
    linker = 0;
    open = -1;
  }
};

// The scan path: each device in record order, a linker followed by its four groups.
bool write_devices(const StoredBoard& board, const std::vector<std::string>& class_ids,
                   std::string& text, std::string& refusal) {
  LinkerGroups groups;
  for (std::size_t i = 0; i < board.devices.size(); ++i) {
    const DeviceRecord& d = board.devices[i];
    if (d.parent == 0) {
      groups.finish(text);
      if (d.connect == 1) groups.linker = i + 1;
      text += device_line(board, i, class_ids[i]);
      continue;
    }
    if (d.connect == 1 || d.parent != groups.linker || d.subpath > 3 ||
        static_cast<int>(d.subpath) < groups.open) {
      refusal = "device " + std::to_string(i + 1) + " (record at offset " +
                hex_text(board.device_offsets[i]) + "): its parent " + std::to_string(d.parent) +
                " and sub-path " + std::to_string(d.subpath) +
                " place it where a board.cfg cannot: it lists the devices of a linker's "
                "sub-paths 0 to 3 in that order right after the linker, and none of them is a "
                "linker";
      return false;
    }
    if (static_cast<int>(d.subpath) > groups.open)
      groups.open_group(static_cast<int>(d.subpath), text);
    text += "  " + device_line(board, i, class_ids[i]);
  }
  groups.finish(text);
  return true;
}

// Compiles `text` as kvrbuild -g does, into `bytes`, in memory.
bool compile(const std::string& text, std::uint8_t version, std::string& bytes,
             std::string& refusal) {
  BoardModel model;
  ParseStop stop;
  Status status = parse_board_config(model, LineSource{nullptr, 0, nullptr, text}, nullptr, nullptr,
                                     version, &stop);
  if (status != kStatusOk) {
    refusal = "the text made from it does not compile: line " + std::to_string(stop.line) +
              ", column " + std::to_string(stop.column) + ": " + status_title(status);
    return false;
  }
  MemorySink sink(bytes);
  status = write_board_database(model, sink, version);
  if (status != kStatusOk) {
    refusal = "the text made from it cannot be compiled here: " + status_title(status);
    return false;
  }
  return true;
}

bool make_text(std::string_view bytes, const StoredBoard& board, const std::string& source,
               std::string& text, std::string& refusal) {
  std::vector<std::string> class_ids;
  if (!check_variables(board, refusal) || !check_names(board, refusal) ||
      !choose_class_ids(board, class_ids, refusal)) {
    return false;
  }
  text = header(board, source);
  if (!board.variables.empty()) text += "\n; Configure variables.\n";
  for (const StoredVariable& v : board.variables) text += "[" + v.name + "] " + v.value + "\n";
  text += "\n; The scan path, from TDI to TDO.\n";
  if (!write_devices(board, class_ids, text, refusal)) return false;
  std::string compiled;
  if (!compile(text, board.version, compiled, refusal)) return false;
  if (compiled == bytes) return true;
  refusal = first_difference(board, bytes, compiled);
  return false;
}

}  // namespace

bool config_text_of(std::string_view bytes, std::uint8_t version, const std::string& source,
                    std::string& text, std::string& refusal) {
  text.clear();
  refusal.clear();
  try {
    StoredBoard board;
    ReadFailure failure;
    if (read_board_database(bytes, version, board, failure) != kStatusOk) {
      refusal = "offset " + hex_text(failure.offset) + " (" + failure.field +
                "): " + status_title(failure.status);
      return false;
    }
    if (make_text(bytes, board, source, text, refusal)) return true;
  } catch (const std::bad_alloc&) {
    refusal = status_title(kStatusNoMemory);
  }
  text.clear();
  return false;
}

}  // namespace kvr

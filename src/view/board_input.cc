#include "view/board_input.h"

#include "base/file_open.h"
#include "config/board_config_parser.h"
#include "config/class_table.h"
#include "database/device_walk.h"
#include "database/file_kind.h"
#include "view/class_ids.h"
#include "view/diagnostics.h"

namespace kvr {
namespace {

// Line `number` of the stream (1 for the first) as the parser reads it: without its line end,
// and up to a zero byte.
std::string line_of(std::FILE* stream, std::uint32_t number) {
  std::rewind(stream);
  std::string line;
  std::uint32_t at = 1;
  for (int c = std::fgetc(stream); c != EOF && at <= number; c = std::fgetc(stream)) {
    if (c == '\n') {
      ++at;
    } else if (at == number) {
      line += static_cast<char>(c);
    }
  }
  std::rewind(stream);
  if (const std::size_t zero = line.find('\0'); zero != std::string::npos) line.resize(zero);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

void take_model(const BoardModel& model, std::uint8_t version, LoadedBoard& loaded) {
  StoredBoard& board = loaded.board;
  board.version = version;
  model.variables.for_each_variable([&](std::string_view name, std::string_view value) {
    board.variables.push_back({std::string(name), std::string(value), 0});
  });
  board.classes = model.classes;
  board.devices = device_records(model);
  const FamilyTable& table = family_table_for(version);
  for (std::size_t i = 0; i < model.devices.size(); ++i) {
    const DeviceEntry& device = model.devices[i];
    board.high_level.push_back(device.high_level);
    board.name_fields.push_back(device.name);
    loaded.class_ids.push_back(class_id_for(table[device.family], device.high_level).value_or("?"));
  }
}

}  // namespace

bool open_input(const std::string& name, InputFile& input, std::string& problem) {
  input.stream = open_file(name, "rb");
  if (input.stream == nullptr) {
    problem =
        "kvrview: cannot open `" + name + "': the file was not found or lacked read permission\n";
    return false;
  }
  const Status status = recognise_file_kind(input.stream, &input.kind, &input.version);
  if (status == kStatusOk) return true;
  problem = file_diagnostic(
      name, "not recognised as a board configuration file or a board database", status);
  return false;
}

void close_input(InputFile& input) {
  if (input.stream != nullptr) close_file(input.stream);
  input.stream = nullptr;
}

std::string contents(std::FILE* stream) {
  std::rewind(stream);
  std::string bytes;
  char block[1 << 16];
  for (std::size_t got; (got = std::fread(block, 1, sizeof block, stream)) > 0;) {
    bytes.append(block, got);
  }
  std::rewind(stream);
  return bytes;
}

bool parse_config(const std::string& name, const InputFile& input, LoadedBoard& loaded,
                  std::string& problem) {
  BoardModel model;
  ParseStop stop;
  const LineSource source{input.stream, 0, nullptr};
  const Status status = parse_board_config(model, source, nullptr, nullptr, input.version, &stop);
  if (status != kStatusOk) {
    problem = config_diagnostic(name, stop.line, stop.column, status,
                                line_of(input.stream, stop.full_line));
    return false;
  }
  loaded.file_name = name;
  loaded.from_database = false;
  take_model(model, input.version, loaded);
  return true;
}

bool load_board(const std::string& name, InputFile& input, LoadedBoard& loaded,
                std::string& problem) {
  if (input.kind == kKindConfigFile) return parse_config(name, input, loaded, problem);
  ReadFailure failure;
  if (read_board_database(contents(input.stream), input.version, loaded.board, failure) !=
      kStatusOk) {
    problem = database_diagnostic(name, failure);
    return false;
  }
  loaded.file_name = name;
  loaded.from_database = true;
  return true;
}

}  // namespace kvr

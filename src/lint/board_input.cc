#include "lint/board_input.h"

#include "base/file_open.h"
#include "config/board_config_parser.h"
#include "database/device_walk.h"
#include "database/file_kind.h"
#include "database/format.h"
#include "lint/board_analysis.h"
#include "lint/board_checks.h"
#include "lint/diagnostics.h"

namespace kvr {

void take_model(const BoardModel& model, std::uint8_t version, const WrittenBoard& written,
                LoadedBoard& loaded) {
  StoredBoard& board = loaded.board;
  board.version = version;
  model.variables.for_each_variable([&](std::string_view name, std::string_view value) {
    board.variables.push_back({std::string(name), std::string(value), 0});
  });
  board.classes = model.classes;
  board.devices = device_records(model);
  for (std::size_t i = 0; i < model.devices.size(); ++i) {
    const DeviceEntry& device = model.devices[i];
    board.high_level.push_back(device.high_level);
    board.name_fields.push_back(device.name);
    loaded.class_ids.push_back(written.devices[i].class_id);
  }
}

void WrittenBoard::device(std::uint32_t /*index*/, std::string_view name,
                          const NamePlace& name_place, const NamePlace& class_place,
                          std::string_view written) {
  devices.push_back({std::string(name), name_place, class_place, std::string(written)});
}

void WrittenBoard::variable(std::string_view name, std::string_view value,
                            const NamePlace& name_place, const NamePlace& value_place) {
  variables.push_back({std::string(name), std::string(value), name_place, value_place});
}

bool open_input(const std::string& name, InputFile& input, std::string& problem) {
  const OpenedFile file = open_file(name, "rb");
  input.stream = file.stream;
  if (input.stream == nullptr) {
    problem =
        "kvrview: cannot open `" + name + "': " +
        (file.reason.empty() ? "the file was not found or lacked read permission" : file.reason) +
        "\n";
    return false;
  }
  const Status status = recognise_file_kind(input.stream, &input.kind, &input.version);
  if (status == kStatusOk) return true;
  constexpr const char* kWhat = "not recognised as a board configuration file or a board database";
  const std::size_t size = contents(input.stream).size();
  if (size < format::kLabelLength) {
    // Too short for a label, or for a version 1 database's size word: kvrbuild turns it away
    // unread, whatever it holds.
    problem = name + ": error: " + kWhat + ": it holds " + std::to_string(size) +
              (size == 1 ? " byte" : " bytes") +
              ", and a board file is recognised by its first 8 (a version 2 file begins with "
              "the label `;CFG-2.0' or `;DAT-2.0')\n";
    return false;
  }
  problem = file_diagnostic(name, kWhat, status);
  return false;
}

void close_input(InputFile& input) {
  if (input.stream != nullptr) close_file(input.stream);
  input.stream = nullptr;
}

// A run that memory stops midway still closes its file: a process runs many of them in turn.
InputFile::~InputFile() {
  close_input(*this);
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

bool read_config(const std::string& name, const InputFile& input, ConfigReading& reading,
                 LoadedBoard& loaded) {
  reading.text = contents(input.stream);
  reading.version = input.version;
  BoardModel model;
  reading.status = parse_board_config(model, LineSource{nullptr, 0, nullptr, reading.text}, nullptr,
                                      nullptr, input.version, &reading.stop, &reading.written);
  if (reading.status != kStatusOk) return false;
  loaded.file_name = name;
  loaded.from_database = false;
  take_model(model, input.version, reading.written, loaded);
  return true;
}

bool load_board(const std::string& name, InputFile& input, LoadedBoard& loaded,
                std::string& problem) {
  if (input.kind == kKindConfigFile) {
    ConfigReading reading;
    if (read_config(name, input, reading, loaded)) return true;
    problem = check_text(analyse_board_text(name, reading.text, CheckSettings::errors_only()));
    return false;
  }
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

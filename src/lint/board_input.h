// Reading the one input file of kvrview: a board configuration file or a board database, of either
// version, told apart as kvrbuild tells them apart. A configuration file is parsed exactly as
// kvrbuild parses it, so a file it refuses is refused here with the same status at the same line;
// kvrview also keeps what the parser saw of each statement, as it was written.
#ifndef KVR_LINT_BOARD_INPUT_H_
#define KVR_LINT_BOARD_INPUT_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/status.h"
#include "config/board_config_parser.h"
#include "database/database_reader.h"

namespace kvr {

// What the parser told of each statement of a board configuration file, in file order.
struct WrittenDevice {
  std::string name;  // lower case, as stored
  NamePlace name_place, class_place;
  std::string class_id;  // as written
};
struct WrittenVariable {
  std::string name, value;  // as written
  NamePlace name_place, value_place;
};
struct WrittenBoard final : ParseObserver {
  std::vector<WrittenDevice> devices;  // in record order
  std::vector<WrittenVariable> variables;

  void device(std::uint32_t index, std::string_view name, const NamePlace& name_place,
              const NamePlace& class_place, std::string_view written) override;
  void variable(std::string_view name, std::string_view value, const NamePlace& name_place,
                const NamePlace& value_place) override;
};

// A board as kvrview shows it, whichever kind of file it came from.
struct LoadedBoard {
  std::string file_name;
  bool from_database = false;
  StoredBoard board;  // from a configuration file: what kvrbuild would store, groups expanded
  // From a configuration file, each device's class ID as written; empty from a database.
  std::vector<std::string> class_ids;
};

// An input file, open and recognised.
struct InputFile {
  std::FILE* stream = nullptr;  // closed by close_input, or at the latest when the record goes
  std::uint16_t kind = 0;       // kKindConfigFile or kKindDatabaseFile
  std::uint8_t version = 0;

  InputFile() = default;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();
};

// A board configuration file as the parser read it.
struct ConfigReading {
  std::string text;  // the whole file
  std::uint8_t version = 0;
  Status status = kStatusOk;
  ParseStop stop;
  WrittenBoard written;
};

// The board a parse filled `model` with, as LoadedBoard holds it; `written` is what the parser told
// of the same parse.
void take_model(const BoardModel& model, std::uint8_t version, const WrittenBoard& written,
                LoadedBoard& loaded);

// Opens and recognises `name`. On failure returns false with the message for standard error.
bool open_input(const std::string& name, InputFile& input, std::string& problem);
void close_input(InputFile& input);

// Everything the stream holds from its start.
std::string contents(std::FILE* stream);

// Parses a recognised configuration file as kvrbuild does into `reading`, and on success into
// `loaded`. True when the parse succeeded.
bool read_config(const std::string& name, const InputFile& input, ConfigReading& reading,
                 LoadedBoard& loaded);

// Reads the recognised input into `loaded`; on failure returns false with the diagnostic.
bool load_board(const std::string& name, InputFile& input, LoadedBoard& loaded,
                std::string& problem);

}  // namespace kvr

#endif  // KVR_LINT_BOARD_INPUT_H_

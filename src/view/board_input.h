// Reading the one input file of kvrview: a board configuration file or a board database, of either
// version, told apart as kvrbuild tells them apart. A configuration file is parsed exactly as
// kvrbuild parses it, so a file it refuses is refused here with the same status at the same line.
#ifndef KVR_VIEW_BOARD_INPUT_H_
#define KVR_VIEW_BOARD_INPUT_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/status.h"
#include "database/database_reader.h"

namespace kvr {

// A board as kvrview shows it, whichever kind of file it came from.
struct LoadedBoard {
  std::string file_name;
  bool from_database = false;
  StoredBoard board;  // from a configuration file: what kvrbuild would store, groups expanded
  // From a configuration file, each device's class ID (one that gives the same family and
  // high-level class as the one written); empty from a database.
  std::vector<std::string> class_ids;
};

// An input file, open and recognised.
struct InputFile {
  std::FILE* stream = nullptr;
  std::uint16_t kind = 0;  // kKindConfigFile or kKindDatabaseFile
  std::uint8_t version = 0;
};

// Opens and recognises `name`. On failure returns false with the message for standard error.
bool open_input(const std::string& name, InputFile& input, std::string& problem);
void close_input(InputFile& input);

// Everything the stream holds from its start.
std::string contents(std::FILE* stream);

// Reads the recognised input into `loaded`; on failure returns false with the diagnostic.
bool load_board(const std::string& name, InputFile& input, LoadedBoard& loaded,
                std::string& problem);

// Parses a configuration file into `loaded` as kvrbuild does; on failure returns false with the
// diagnostic that points at the token at fault.
bool parse_config(const std::string& name, const InputFile& input, LoadedBoard& loaded,
                  std::string& problem);

}  // namespace kvr

#endif  // KVR_VIEW_BOARD_INPUT_H_

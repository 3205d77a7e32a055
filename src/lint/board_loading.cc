#include "lint/board_loading.h"

#include "database/database_reader.h"
#include "database/file_kind.h"
#include "lint/board_analysis.h"
#include "lint/board_checks.h"
#include "lint/diagnostics.h"

namespace kvr {

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

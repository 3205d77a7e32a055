#include "view/build_mode.h"

#include <new>

#include "config/board_config_parser.h"
#include "database/byte_sink.h"
#include "database/database_writer.h"
#include "database/file_kind.h"
#include "lint/diagnostics.h"
#include "view/board_warnings.h"

namespace kvr {
namespace {

// Compiles the text of a board.cfg that parsed without error, as kvrbuild -g does.
Status compile(const ConfigReading& reading, std::string& database) {
  BoardModel model;
  const Status status = parse_board_config(model, LineSource{nullptr, 0, nullptr, reading.text},
                                           nullptr, nullptr, reading.version);
  if (status != kStatusOk) return status;
  MemorySink sink(database);
  return write_board_database(model, sink, reading.version);
}

}  // namespace

bool build_database(const ViewRequest& request, std::string& database, std::string& messages) {
  InputFile input;
  if (!open_input(request.input, input, messages)) return false;
  if (input.kind != kKindConfigFile) {
    messages = request.input +
               ": error: a board database, where --build reads a board configuration file\n";
    return false;
  }
  messages = label_refusal(request, input);
  if (!messages.empty()) return false;
  CheckedConfig checked;
  check_config(request.input, input, check_settings_for(request), checked);
  close_input(input);
  messages = checked.messages;
  if (!checked.parsed || checked.failed) return false;
  if (const Status status = compile(checked.reading, database); status != kStatusOk) {
    if (status == kStatusNoMemory) throw std::bad_alloc();
    messages += file_diagnostic(request.input, "the database cannot be made", status);
    return false;
  }
  return true;
}

}  // namespace kvr

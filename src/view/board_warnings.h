// The one place where kvrview's modes meet the checks of a board.cfg: every mode that reads a
// board.cfg prints the diagnostics of --check on standard error before its work, with the
// warnings that -W, -Wno-error and --quiet choose, and --build makes every warning an error.
#ifndef KVR_VIEW_BOARD_WARNINGS_H_
#define KVR_VIEW_BOARD_WARNINGS_H_

#include <string>

#include "lint/board_checks.h"
#include "lint/board_input.h"
#include "view/view_command_line.h"

namespace kvr {

// The checks' settings the request asks for: its -W options, less -Wno-error and -Wno-error=NAME;
// no warning at all with --quiet; with --build, every warning an error unless -Wno-error keeps it
// a warning.
CheckSettings check_settings_for(const ViewRequest& request);

// A board.cfg read and checked: the reading, the board when the parse succeeded, and the
// diagnostics.
struct CheckedConfig {
  ConfigReading reading;
  LoadedBoard loaded;
  bool parsed = false;
  std::string messages;  // the diagnostics, for standard error
  bool failed = false;   // an error, or a warning made an error
};
void check_config(const std::string& name, const InputFile& input, const CheckSettings& settings,
                  CheckedConfig& checked);

// Reads the recognised input board of a mode into `loaded`; a board.cfg's diagnostics go to
// `messages` (appended), whatever the outcome. False when the board cannot be read, or a warning
// is made an error.
bool load_checked_board(const ViewRequest& request, const std::string& name, InputFile& input,
                        LoadedBoard& loaded, std::string& messages);

// Opens, recognises and reads the board of `name` as load_checked_board does.
bool read_checked_board(const ViewRequest& request, const std::string& name, LoadedBoard& loaded,
                        std::string& messages);

// The refusal of --build for a board.cfg whose label does not declare the version asked for: a
// file without the label ;CFG-2.0 is a version 1 file, which --build reads only with --v1, and
// --v1 reads no version 2 file; empty when the label and the request agree.
std::string label_refusal(const ViewRequest& request, const InputFile& input);

}  // namespace kvr

#endif  // KVR_VIEW_BOARD_WARNINGS_H_

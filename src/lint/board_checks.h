// kvrview --check: the parser's error, as kvrbuild decides it, with the notes and help a compiler
// adds, and the named warnings: checks of what a board.cfg says beyond its syntax, one row each in
// one table, each turned on or off by name as compilers do (-Wname, -Wno-name) and made an error
// with -Werror or -Werror=name.
#ifndef KVR_LINT_BOARD_CHECKS_H_
#define KVR_LINT_BOARD_CHECKS_H_

#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "lint/board_input.h"
#include "lint/diagnostics.h"

namespace kvr {

// What a check looks at: the file as read, and the board when the parse succeeded (else null).
struct CheckInput {
  const ConfigReading& reading;
  const LoadedBoard* loaded;
};

struct BoardCheck {
  const char* name;
  bool on_by_default;
  const char* summary;  // for the usage and the manual
  void (*run)(const CheckInput& input, std::vector<Diagnostic>& found);
};

std::span<const BoardCheck> board_checks();

// Which checks run and which of them are errors.
struct CheckSettings {
  bool warnings = true;            // false: the parser's error alone
  std::map<std::string, bool> on;  // -Wname, -Wno-name: overrides of the defaults
  bool all_errors = false;         // -Werror
  std::set<std::string> errors;    // -Werror=name

  static CheckSettings errors_only() { return {false, {}, false, {}}; }
  // Applies one -W word (without its "-W"); false when it names no check.
  bool apply(const std::string& word);
  bool runs(const BoardCheck& check) const;
};

// The diagnostics of a reading, rendered in file order: the warnings of the checks that run (of
// the statements read, and of the whole board when the parse succeeded), then the parser's error
// with its notes and help. `failed` when there is an error, or a warning made one.
struct CheckReport {
  std::string text;
  bool failed = false;
};
CheckReport check_report(const std::string& file, const ConfigReading& reading,
                         const LoadedBoard* loaded, const CheckSettings& settings);

}  // namespace kvr

#endif  // KVR_LINT_BOARD_CHECKS_H_

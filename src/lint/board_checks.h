// The named warnings of kvrview --check: checks of what a board.cfg says beyond its syntax, one
// row each in one table, each turned on or off by name as compilers do (-Wname, -Wno-name) and
// made an error with -Werror or -Werror=name.
#ifndef KVR_LINT_BOARD_CHECKS_H_
#define KVR_LINT_BOARD_CHECKS_H_

#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "lint/board_input.h"
#include "lint/diagnostics.h"
#include "lint/text_lines.h"

namespace kvr {

// What a check looks at: the file as read, its lines, the statements read (of the whole file, or
// with its broken statements left out), and the board when the file parsed (else null).
struct CheckInput {
  const ConfigReading& reading;
  const TextLines& lines;
  const WrittenBoard& written;
  const LoadedBoard* loaded;
};

struct BoardCheck {
  const char* name;
  bool on_by_default;
  const char* summary;  // for the usage and the manual
  void (*run)(const CheckInput& input, std::vector<Diagnostic>& found);
};

std::span<const BoardCheck> board_checks();

// Why a file read as version 1 was meant as version 2: "a UTF-8 byte-order mark" or "a blank"
// stands before its label, which begins at byte `column` of its first line; null when the file
// does not begin like that.
const char* label_late(std::string_view text, std::size_t* column = nullptr);

// Which checks run and which of them are errors.
struct CheckSettings {
  bool warnings = true;            // false: the parser's error alone
  std::map<std::string, bool> on;  // -Wname, -Wno-name: overrides of the defaults
  bool all_errors = false;         // -Werror
  std::set<std::string> errors;    // -Werror=name
  bool read_on = true;             // false: kvrbuild's first error alone, without the later ones
  bool no_error = false;           // -Wno-error: no warning an error, whatever else says so
  std::set<std::string> no_error_for;  // -Wno-error=name

  static CheckSettings errors_only() { return {false, {}, false, {}, false, false, {}}; }
  // Applies one -W word (without its "-W"); false when it names no check.
  bool apply(const std::string& word);
  // The settings a run goes by, whatever the order of the words: every warning an error with
  // -Werror or where `all_errors_by_default` (a build step), none with -Wno-error, and never
  // those of -Wno-error=name.
  CheckSettings resolved(bool all_errors_by_default) const;
  bool runs(const BoardCheck& check) const;
};

// The warnings of the checks that run, each with its severity and name set.
std::vector<Diagnostic> check_findings(const CheckInput& input, const CheckSettings& settings);

}  // namespace kvr

#endif  // KVR_LINT_BOARD_CHECKS_H_

// Everything kvrview --check and the language server know of one board configuration text: how
// kvrbuild reads it, its tokens and statements, the board when it parses, and the findings, in
// file order: kvrbuild's error and the errors after it, and the warnings of the checks.
//
// kvrbuild stops at the first error, and the first error here is exactly its own: the same status
// at the same line. The checker then reads on: it leaves out the statement that broke (from its
// first token to the next token that can begin a statement where it stood: a '[' or a '"' on the
// main path, a '"' or a '}' inside a group; a linker whose groups broke, to the end of the block
// as its braces show it) and reads the file again without it, up to 20 errors. A file that ends
// too early, a line too long and memory that runs out end the reading. Notes and fix-its of a
// later error are those of the file with the statements before it left out.
#ifndef KVR_LINT_BOARD_ANALYSIS_H_
#define KVR_LINT_BOARD_ANALYSIS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lint/board_checks.h"
#include "lint/board_input.h"
#include "lint/board_tokens.h"
#include "lint/diagnostics.h"

namespace kvr {

inline constexpr std::size_t kMostErrors = 20;

// A device of the board as the scan path holds it.
struct AnalysedDevice {
  std::size_t statement = kNoIndex;     // its statement in BoardTokens::statements
  std::string name;                     // lower case, as stored
  std::string class_id;                 // as written
  SourceRange name_range, class_range;  // "\"name\"" with its quotes; the class ID
  std::uint32_t family_row = 0;         // its row of the family table of the file's version
  std::uint32_t high_level = 0;         // its high-level class
  std::uint32_t ir_length = 0;          // IR bits
  bool linker = false;
  // Its path: the main path (linker kNoIndex), or sub-path `sub_path` of the linker that is
  // device `linker` (an index into BoardAnalysis::devices).
  std::size_t linker_device = kNoIndex;
  std::uint32_t sub_path = 0;
  std::size_t path_index = 0;  // its place on its path, 0 for the device nearest TDI
  // The IR bits between TDI and the device and between the device and TDO, in the chain where its
  // own sub-path (if any) is selected and no other: what --svf pads it with.
  std::uint64_t ir_before = 0, ir_after = 0;
};

// What a linker's sub-paths add up to.
struct AnalysedLinker {
  std::size_t device = 0;  // the linker's index in BoardAnalysis::devices
  std::array<std::vector<std::size_t>, 4> sub_paths;  // device indices, from TDI
  std::array<std::uint64_t, 4> sub_path_ir{};
};

struct BoardAnalysis {
  std::string name;
  std::string text;
  std::uint8_t version = 1;  // 2 when the text begins with the label `;CFG-2.0'
  ConfigReading reading;     // kvrbuild's reading: its status and where it stopped
  BoardTokens tokens;
  // The board: that of the file when it parsed (complete), else that of the file with its broken
  // statements left out when what is left parses (complete false); none when that stops too, as
  // a file that ends inside its last statement does.
  std::optional<LoadedBoard> board;
  bool complete = false;
  std::vector<AnalysedDevice> devices;  // record order, as the board holds them
  std::vector<AnalysedLinker> linkers;
  std::uint64_t main_ir = 0, main_devices = 0;  // what the main path adds up to
  std::vector<Diagnostic> diagnostics;          // in file order
  bool failed = false;                          // an error, or a warning made one
};

// Reads `bytes` as a board configuration file named `name` (version 2 when it begins with the
// label, else 1), as kvrbuild does and beyond. Throws std::bad_alloc.
BoardAnalysis analyse_board_text(std::string_view name, std::string_view bytes,
                                 const CheckSettings& settings);

// The terminal text of the findings, as --check writes it on standard error: each finding, and
// kvrbuild's explanation after the first error of each status.
std::string check_text(const BoardAnalysis& analysis);

}  // namespace kvr

#endif  // KVR_LINT_BOARD_ANALYSIS_H_

// What an import takes from the files of other tools: the TAPs of a chain, each with its chip name
// (empty where the file has none), its TAP name and its instruction register (IR) length, the
// options an OpenOCD script or a scan_chain table gives it, and the part it has in a scan-path
// linker's sub-paths when a script's tap-enable handlers switch one; and, when a file cannot be
// taken, where it went wrong and why.
#ifndef KVR_BRIDGE_IMPORTED_TAP_H_
#define KVR_BRIDGE_IMPORTED_TAP_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kvr {

struct ImportedTap {
  ImportedTap() = default;
  // The four fields every reader gives; a script's options are set after.
  ImportedTap(std::string chip_name, std::string tap_name, std::uint32_t length, bool in_chain)
      : chip(std::move(chip_name)),
        tap(std::move(tap_name)),
        ir_length(length),
        enabled(in_chain) {}

  std::string chip;  // OpenOCD's chip name; empty for a BSDL entity
  std::string tap;
  std::uint32_t ir_length = 0;
  bool enabled = true;  // false for a TAP OpenOCD would leave out of the chain (-disable)
  std::vector<std::uint32_t> expected_ids;  // each -expected-id, in the order given
  std::optional<std::uint32_t> ir_capture;  // -ircapture
  std::optional<std::uint32_t> ir_mask;     // -irmask
  // From a script's tap-enable handlers (bridge/tap_enable_handlers.h): a scan-path linker, whose
  // sub-path devices stand right after it, towards TDO; or a device of sub-path `sub_path` of the
  // linker before it; or, for a TAP whose handler was not understood, why, for its comment.
  bool is_linker = false;
  int sub_path = -1;  // 0 to 3 on a sub-path, -1 on the main path
  std::string note;
};

// "CHIP.TAP", or the TAP name alone without a chip.
std::string full_name(const ImportedTap& tap);

// A line and column of a file (both from 1, a tab one column), with the text of that line; line 0
// where no place in the file is known.
struct ImportFailure {
  std::string file;
  std::uint32_t line = 0;
  std::uint32_t column = 0;
  std::string line_text;
  std::string message;
};

// A failure at byte `offset` of `text`, the file `file`.
ImportFailure failure_at(const std::string& file, std::string_view text, std::size_t offset,
                         std::string message);

// A failure at the first character that is no blank of line `line` of `text` (column 1 on a
// blank line, or past the end).
ImportFailure failure_on_line(const std::string& file, std::string_view text, std::uint32_t line,
                              std::string message);

// "FILE:LINE:COLUMN: error: MESSAGE", the line and a caret under the column; "FILE: error:
// MESSAGE" alone without a place.
std::string import_diagnostic(const ImportFailure& failure);

// The IR lengths a board can hold: a device of the bypass family, 1 to 0x400 bits.
inline constexpr std::int64_t kMaxIrLength = 0x400;
// Empty for a usable IR length; otherwise why it cannot be one.
std::string ir_length_problem(std::int64_t length);
// The same for a length written in decimal `digits', of any number: never read past what it is
// compared with, so that no number wraps.
std::string ir_length_problem(std::string_view digits);
// The value of decimal `digits' that ir_length_problem accepts.
std::int64_t decimal_value(std::string_view digits);

}  // namespace kvr

#endif  // KVR_BRIDGE_IMPORTED_TAP_H_

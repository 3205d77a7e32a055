// The canonical layout of a board configuration file, for kvrview --fmt and the language server.
//
// One statement a line: a variable's name and value, a device's name and class ID, a linker's
// name and SPL, then each of its four groups as `{', its devices one a line indented by two
// blanks, `}' (an empty group as `{}'). In each run of like lines (variables, or devices at one
// depth) the values or class IDs stand in one column, and the comments after them in another.
// Comments stay where they stand: one on a line of its own stays on a line of its own, at the
// depth of what follows; one after a token stays after the line that token goes to (where two
// would end one line, the first goes on a line of its own before it). Blank lines between
// statements are kept, one for a run of them; the version 2 label line stays as it is; the file's
// line ends (LF, or CR LF) are kept, and every line ends with one.
//
// A file with an error is left as it is: the formatter says why. So is a file whose text holds
// what its layout cannot keep: a zero byte, a Ctrl-Z, a carriage return without a line feed. The
// formatted text is compiled and compared with the file before it is given: it compiles to the
// same database bytes in both versions, and formatting it again changes nothing.
#ifndef KVR_LINT_BOARD_FORMAT_H_
#define KVR_LINT_BOARD_FORMAT_H_

#include <string>
#include <string_view>

namespace kvr {

struct FormatResult {
  bool ok = false;
  std::string text;    // the formatted text, when ok
  std::string reason;  // why the file is left as it is, when not ok: "line 3: Class ID invalid
                       // [-383]"
};

// Formats `text`, read as a board configuration file (version 2 when it begins with the label,
// else 1). Linear in the text. Throws std::bad_alloc.
FormatResult format_board_text(std::string_view text);

}  // namespace kvr

#endif  // KVR_LINT_BOARD_FORMAT_H_

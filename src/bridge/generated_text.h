// What goes into the files the bridge generates - the board.cfg of --import, the OpenOCD script of
// --openocd, the SVF of --svf - made fit for its format in one place, one function a format. A
// text from outside (a file name, a TAP's name from a script or a table, a database's name field)
// reaches those files only through these functions, so that none can end a comment, pass a line
// limit or become a command:
//   board.cfg  comment lines of printable ASCII, wrapped within kCommentWidth characters (a
//              board.cfg line may hold 4134), and device names of 1 to 8 characters;
//   OpenOCD    comment lines of printable ASCII without `\', `{' and `}' (a backslash can carry a
//              comment onto the next line, and braces count even in a comment inside a braced
//              body), and words of letters, digits and '_' only, which Tcl substitutes nothing in;
//   SVF        comment lines of printable ASCII.
#ifndef KVR_BRIDGE_GENERATED_TEXT_H_
#define KVR_BRIDGE_GENERATED_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace kvr {

// `text` with every byte outside printable ASCII (a line end, a tab, a zero byte) as '?'.
std::string printable(std::string_view text);

// A valid device name: 1 to 8 letters, digits and '_', a letter first.
inline constexpr std::size_t kDeviceNameLength = 8;
bool is_device_name(std::string_view name);

// board.cfg: `text` as comment lines, the first beginning with `lead' (which ends in "; "), each
// later one with ';' and blanks as long as `lead', each line ending in a line feed. The text is
// made printable and wrapped at a blank where one stands within the width, else cut there.
inline constexpr std::size_t kCommentWidth = 100;
std::string board_config_comment(std::string_view lead, std::string_view text);

// OpenOCD: "# TEXT" and a line feed, the text made printable, each `\' a '/' (a path on Windows
// names the same file with it) and each `{' and `}' a '?'.
std::string openocd_comment(std::string_view text);
// OpenOCD: whether `word` stands in a script as itself: letters, digits and '_', at least one.
bool is_openocd_word(std::string_view word);

// SVF: "! TEXT" and a line feed, the text made printable.
std::string svf_comment(std::string_view text);

}  // namespace kvr

#endif  // KVR_BRIDGE_GENERATED_TEXT_H_

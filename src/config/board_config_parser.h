// The board configuration parser: reads a board.cfg of format version 1 or 2 into the board model.
//
// The board configuration file, as this parser reads it.
//
// Lines. A text file read one line at a time; a line holds at most 4134 characters before its
// newline (-356 otherwise), the last line may lack the newline, and a CR right before a LF is
// dropped. Lines are numbered from 1 in 16 bits and the number wraps; errors name the line that
// holds the offending token, or the last line when the file ends too early (-354).
//
// Blanks and comments. Space, tab, LF and CR are blanks; every other byte, control characters
// included, belongs to a token. Wherever the next token is looked for, ';' starts a comment that
// runs to the end of the line. Between any two tokens any mix of blanks, comments and line ends
// may stand, so a value may start on a later line than its name, a class ID on a later line than
// its device name, and braces may stand anywhere.
//
// Label. A version 2 file starts, in column 1 of line 1, with the eight characters ";CFG-2.0",
// letter case ignored; the rest of that line is a comment (-248 for any other first line, -354 for
// an empty file). A version 1 file has no label and may be empty.
//
// Statements, in any order. A '[' starts a configure variable, anything else a device.
//   [name] value   The name sits directly between the brackets: 1 to 32 characters, a letter and
//                  then letters, digits or '_'; unique in the file with letter case ignored; kept
//                  as written (-361 .. -364). The value is a boolean word (POSITIVE ASSERT TRUTH
//                  TRUE HIGH YES ONE / NEGATIVE NEGATE FALSE LOW NOT NO ZERO, any case), "0x"
//                  and up to 8 hex digits, '0' and up to 8 octal digits, 1 to 8 decimal digits,
//                  or a single-quoted string of at most 4096 characters with its quotes, holding
//                  no "\0" (-365). An unquoted value ends at ';', CR, LF or the line end, less
//                  trailing spaces and tabs; a string ends at its closing quote on the same line,
//                  and only spaces and tabs may follow it before a comment or the line end.
//   "name" CLASS   A device: 1 to 8 characters between double quotes, a letter and then letters,
//                  digits or '_', stored lower case and unique (-370 .. -375; a '{' here is
//                  -391). The class ID runs to the next blank, ';' or line end, at most 32
//                  characters (-384), and is looked up upper-cased in the family class table of
//                  the file's version (-381, -383). On the main path it must have the full length
//                  the table shows; inside a linker group a bypass or generic ID may carry fewer
//                  digits. Devices stand in scan-path order, from TDI to TDO.
//   "name" SPL     A scan-path linker, followed by exactly four groups "{ devices }" that hold its
//                  sub-paths 0 to 3 (-391 where a group must open, -354 when the file ends
//                  inside them). A group may be empty and holds only ordinary devices: no
//                  variable, no linker, no addressable scan port (-380).
// An addressable scan port (version 2 "ASPaaa") is refused on the main path (-386) too.
//
// The model. Devices get 1-based dev_ids in file order. Every path field follows from the order:
// preIR/preDR count the IR bits and devices before a device on its path, posIR/posDR those after
// it (plus one each inside a linker group, for the linker's own bypass). All linkers share one
// class record; every other family gets its block of class records with its first device.
//
// Scale. Each byte is read once, in large blocks, and no step looks back over earlier entries:
// duplicate names are found through a log of keyed hashes checked bucket by bucket once the file
// is read (config/name_check.h), which reads the file a second time only when a name may repeat;
// the model keeps about twenty bytes a device and the variables' own bytes, or only their counts
// where the caller reads nothing more. The counters are 32-bit, so files with more than 65536
// devices or variables are read exactly.
#ifndef KVR_CONFIG_BOARD_CONFIG_PARSER_H_
#define KVR_CONFIG_BOARD_CONFIG_PARSER_H_

#include <cstdint>
#include <string_view>

#include "base/status.h"
#include "config/line_reader.h"
#include "config/model_append.h"
#include "database/board_model.h"

namespace kvr {

// Where a parse stopped: the line as errors name it (wrapping after 65535), the same line counted
// without wrapping, and the 1-based column of the token at fault (a tab counts as one column; 0
// after a success). A duplicate name stands at its own name; a file that ends too early just past
// the end of its last line; a line too long at its first character past the limit.
struct ParseStop {
  std::uint32_t line = 0;
  std::uint32_t full_line = 0;
  std::uint32_t column = 0;
};

// Told of each statement the parser has taken, in file order, once its entry is appended to the
// model: for programs that show a board as it was written or check more than the format demands.
// A parse without an observer keeps none of this.
class ParseObserver {
 public:
  virtual ~ParseObserver() = default;
  // Device `index` (0-based, record order): its name as stored (lower case), where its name and
  // its class ID stand (the column of the opening quote, of the class ID's first character), and
  // the class ID as written.
  virtual void device(std::uint32_t index, std::string_view name, const NamePlace& name_place,
                      const NamePlace& class_place, std::string_view written) = 0;
  // A configure variable: its name and value as written, and where each stands (the column of
  // the '[', of the value's first character).
  virtual void variable(std::string_view name, std::string_view value, const NamePlace& name_place,
                        const NamePlace& value_place) = 0;
};

// Parses the whole stream into `model`, which must be empty. Returns 0 when the file ended between
// statements, else the first error. Where a name may repeat, the source is read a second time from
// where it first stood (the observer is told of the first reading only). At every exit a stream is
// rewound, and the present out pointers receive the device count, the number of the line where the
// parse stopped, and where exactly it stopped.
Status parse_board_config(BoardModel& model, const LineSource& source,
                          std::uint32_t* device_count_out, std::uint32_t* line_out,
                          std::uint8_t version, ParseStop* stop_out = nullptr,
                          ParseObserver* observer = nullptr);

}  // namespace kvr

#endif  // KVR_CONFIG_BOARD_CONFIG_PARSER_H_

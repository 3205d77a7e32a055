// The one TAP of a BSDL file (IEEE 1149.1's Boundary-Scan Description Language): its entity name
// and its instruction register length, from
//   entity NAME is ...
//   attribute INSTRUCTION_LENGTH of NAME : entity is N;
// Keywords and names are read in any letter case; `--' starts a comment that runs to the end of
// the line; strings ("...", on one line) are skipped whole. The rest of the file is not read.
#ifndef KVR_BRIDGE_BSDL_READER_H_
#define KVR_BRIDGE_BSDL_READER_H_

#include <string>
#include <string_view>

#include "bridge/imported_tap.h"

namespace kvr {

// Whether `text` is a BSDL file: its first word, after blanks and comments, is `entity'.
bool is_bsdl(std::string_view text);

// The TAP of the BSDL file `text`, named `file`; false with where it went wrong.
bool read_bsdl(const std::string& file, std::string_view text, ImportedTap& tap,
               ImportFailure& failure);

}  // namespace kvr

#endif  // KVR_BRIDGE_BSDL_READER_H_

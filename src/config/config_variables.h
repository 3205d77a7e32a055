// The two tokens of a configure variable statement: the name in square brackets and the value.
// Both routines read the current line from `column`, never a further line, and on success leave
// `column` just past what they accepted. They check the text and keep it as written; they attach
// no type and convert no number.
#ifndef KVR_CONFIG_CONFIG_VARIABLES_H_
#define KVR_CONFIG_CONFIG_VARIABLES_H_

#include <array>
#include <cstddef>
#include <string_view>

#include "base/status.h"
#include "config/line_reader.h"
#include "database/board_model.h"

namespace kvr {

// A variable name as read: 1 to 32 characters and a zero byte.
using VariableName = std::array<char, 33>;

// Entered at the '['. Reads 1 to 32 name characters up to the ']'; whether an earlier variable has
// the name, letter case ignored, is the parser's to check (config/name_check.h). `name` receives
// a copy, since a value may follow on a later line, and `size`, when given, its length. Statuses:
// -361, -362, -363.
Status parse_variable_name(LineState& line, VariableName& name, std::size_t* size = nullptr);

// Entered at the value's first character (never a blank or ';'). Accepts a boolean word, a
// single-quoted string (kept with its quotes), or a hexadecimal, octal or decimal number. On
// success `value` shows the value within the line. Status: -365.
Status parse_variable_value(LineState& line, std::string_view& value);

}  // namespace kvr

#endif  // KVR_CONFIG_CONFIG_VARIABLES_H_

// What the information texts compiled into the program (`kvrbuild -i', `kvrbuild -vi') say of a
// family and of a configure variable, found in those texts as they are written, so that the
// editor shows what the manual says and nothing else:
// - a family's line of the class-ID list ("QVARM9xx    - The ARM-9 embedded micros ...");
// - a variable's row of the list of supported variables, and the section whose heading names it
//   (for a variable no heading names, the first section after that list that mentions it);
// - the values a string variable's section lists, one a line ("    'FIXED'   the emulator ..."),
//   right after the paragraph that begins "[NAME] is";
// - the boolean words ("for yes:  POSITIVE ...", "for no: ...").
#ifndef KVR_LSP_BOARD_DOCUMENTATION_H_
#define KVR_LSP_BOARD_DOCUMENTATION_H_

#include <string>
#include <string_view>
#include <vector>

namespace kvr::lsp {

// The description of the family whose class-ID pattern is `type_name`, or "".
std::string family_description(std::string_view type_name);

// The row of the variable list and the section of `name` (upper case, as documented), as written,
// each line ended by '\n'; "" when the text says nothing of it.
std::string variable_row(std::string_view name);
std::string variable_section(std::string_view name);

struct DocumentedValue {
  std::string value;    // as written, a string with its quotes
  std::string meaning;  // the rest of its first line
};
std::vector<DocumentedValue> documented_values(std::string_view name);

// The boolean words, those for yes first, in the order the text gives them.
std::vector<std::string> boolean_words();

}  // namespace kvr::lsp

#endif  // KVR_LSP_BOARD_DOCUMENTATION_H_

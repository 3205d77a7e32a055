// The configure variables that kvrbuild's information text (`kvrbuild -vi') documents, each with
// the kind of value it takes, for kvrview's checks of what a board.cfg says beyond its syntax.
#ifndef KVR_LINT_DOCUMENTED_VARIABLES_H_
#define KVR_LINT_DOCUMENTED_VARIABLES_H_

#include <span>
#include <string_view>

namespace kvr {

// The forms a value may take, as a set of bits.
enum ValueKind : unsigned { kBooleanValue = 1, kNumberValue = 2, kStringValue = 4 };

struct DocumentedVariable {
  const char* name;  // upper case, as the information text writes it
  unsigned kinds;    // the ValueKind bits its value may have
};

std::span<const DocumentedVariable> documented_variables();

// The documented variable of this name (letter case ignored), or null. A name that adds a suffix
// to UTILITY_HI_OPTIONS (`-e' with a suffix) is that variable.
const DocumentedVariable* find_documented_variable(std::string_view name);

// The kind of a value the parser accepted: a boolean word, a number or a quoted string.
ValueKind kind_of_value(std::string_view value);

// "a boolean", "a number", "a string", "a number or a string".
std::string_view kinds_text(unsigned kinds);

}  // namespace kvr

#endif  // KVR_LINT_DOCUMENTED_VARIABLES_H_

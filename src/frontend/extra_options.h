// Options taken from a string configure variable of a board configuration file (-e): the variable
// UTILITY_HI_OPTIONS, or UTILITY_HI_OPTIONS_<suffix>, is split into words that are applied as a
// second command line. Its first word stands in the place of the program name and is never
// examined.
#ifndef KVR_FRONTEND_EXTRA_OPTIONS_H_
#define KVR_FRONTEND_EXTRA_OPTIONS_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "base/status.h"
#include "frontend/run_settings.h"
#include "scanlib/scan_library.h"

namespace kvr {

inline constexpr const char* kExtraOptionsPrefix = "UTILITY_HI";
inline constexpr const char* kExtraOptionsGroup = "UTILITY";
inline constexpr std::uint32_t kVariableValueCapacity = 4097;

// The shape of the command-line parser that applies the words.
using CommandLineParser = std::int16_t (*)(RunSettings& settings, int count,
                                           const char* const* words, std::FILE* errors,
                                           std::FILE* out);

// Fetches the variable <prefix>_<tail> from `config_file_name` through the library and applies
// its words with `parser`. 0 when done or when the variable does not exist; the library's status
// when a library call fails; -131 when memory is refused; otherwise the parser's status (1 after
// its message, or -131).
Status load_extra_options(ScanLibrary& library, RunSettings& settings, const char* prefix,
                          const std::string& tail, const std::string& config_file_name,
                          CommandLineParser parser, std::FILE* errors, std::FILE* out);

// Writes the next white-space separated word of `*cursor` into `word` (which has room for the
// whole text) and moves the cursor past it; returns the word's length, 0 when none is left.
// A run of backslashes directly before a double quote is halved; a double quote is otherwise an
// ordinary character, and there is no quoting: white space always ends a word.
std::size_t split_next_word(char* word, const char** cursor);

}  // namespace kvr

#endif  // KVR_FRONTEND_EXTRA_OPTIONS_H_

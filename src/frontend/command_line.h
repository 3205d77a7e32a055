// The command line: an option scanner, the parser that applies each option and checks the whole,
// and the default-extension rule for file names.
//
// Options begin with '-' or '/', are case-sensitive and may be grouped (-vh). The letters e, f, g,
// p and o take a sub-argument, either the rest of their word (-g2) or the next word unless that
// word begins with '-' or '/'. A word not beginning with '-' or '/', or a lone "-" or "/", ends
// the options and starts the file names; "--" and "//" end the options and are dropped.
#ifndef KVR_FRONTEND_COMMAND_LINE_H_
#define KVR_FRONTEND_COMMAND_LINE_H_

#include <cstdint>
#include <cstdio>
#include <string>

#include "frontend/run_settings.h"

namespace kvr {

// Every option letter. A letter written twice in a row takes a sub-argument (e, f, g, p and o: -g2,
// -f board), a letter written once takes none (v, h, ?, a, i and l); a letter found nowhere here
// is still delivered, for the parser to refuse.
inline constexpr const char* kOptionLetters = "vh?eeffggppailoo";

// Walks the words from word 1 (word 0 is the program's name), one option letter at a time.
struct OptionScanner {
  int count;
  const char* const* words;
  const char* options = kOptionLetters;
  // Index of the next word to examine; once the options are over, that of the first file name.
  // 32 bits, so that no number of words can make it wrap.
  std::uint32_t next_index = 1;
  const char* group_rest = nullptr;  // letters still waiting in the current word, or null

  // Delivers the next option letter and its sub-argument (or null): true, or false when the
  // options are over.
  bool next_option(int& letter, const char*& sub_argument);
};

// Applies the words to `settings`. 0 when the settings are complete and valid; 1 after a message
// (single options on `errors`, the combination on `out`); -131 without a message when memory is
// refused. Word 0 is never examined.
std::int16_t parse_command_line(RunSettings& settings, int count, const char* const* words,
                                std::FILE* errors, std::FILE* out);

// Appends `extension` to a name without one. A name has an extension when it holds a '.' and no
// '\' or '/' follows the last '.'.
void add_default_extension(std::string& name, const char* extension);

}  // namespace kvr

#endif  // KVR_FRONTEND_COMMAND_LINE_H_

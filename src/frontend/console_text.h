// The texts the program carries (brief help, manual, brief and verbose information) and their
// printers.
#ifndef KVR_FRONTEND_CONSOLE_TEXT_H_
#define KVR_FRONTEND_CONSOLE_TEXT_H_

#include <cstdint>
#include <cstdio>

namespace kvr {

// Line lists, each ended by a null pointer. Built from the files under docs/ at build time.
extern const char* const kBriefHelpLines[];
extern const char* const kManualLines[];
extern const char* const kBriefInformationLines[];
extern const char* const kVerboseInformationLines[];

// Writes "\n%s" for every line, then "\n", then flushes.
void print_line_list(const char* const* lines, std::FILE* out);

// With `help` set: the manual when `verbose` is set, else the brief help. With `help` clear:
// nothing, but standard output is flushed when `verbose` is set.
void print_help(const char* const* brief_help, const char* const* manual, std::uint16_t help,
                std::uint16_t verbose, std::FILE* out);

// With `information` set: the verbose information when `verbose` is set, else the brief one.
void print_information(std::uint16_t information, std::uint16_t verbose, std::FILE* out);

}  // namespace kvr

#endif  // KVR_FRONTEND_CONSOLE_TEXT_H_

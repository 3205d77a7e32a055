// The section banner that frames the title of every command and of the abort message.
#ifndef KVR_BASE_CONSOLE_H_
#define KVR_BASE_CONSOLE_H_

#include <cstdio>

namespace kvr {

// An empty line, a 64-character rule "---[title]------..." and an empty line. A title longer than
// 57 characters leaves the plain rule; the formatted title is cut to 83 characters.
void print_section_banner(std::FILE* out, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

}  // namespace kvr

#endif  // KVR_BASE_CONSOLE_H_

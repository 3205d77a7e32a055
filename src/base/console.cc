#include "base/console.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

namespace kvr {

void print_section_banner(std::FILE* out, const char* format, ...) {
  char title[84];
  va_list args;
  va_start(args, format);
  std::vsnprintf(title, sizeof title, format, args);  // cuts a longer title to 83 characters
  va_end(args);

  constexpr std::size_t kRuleLength = 64;
  char line[kRuleLength + 1];
  std::fill(line, line + kRuleLength, '-');
  line[kRuleLength] = '\0';
  const std::size_t length = std::strlen(title);
  if (length + 8 <= kRuleLength + 1) {
    line[3] = '[';
    std::copy(title, title + length, line + 4);
    line[4 + length] = ']';
  }
  std::fprintf(out, "\n%s\n\n", line);
}

}  // namespace kvr

#include "frontend/console_text.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

namespace kvr {
namespace {

constexpr std::size_t kRuleLength = 64;

}  // namespace

void print_line_list(const char* const* lines, std::FILE* out) {
  for (const char* const* line = lines; *line != nullptr; ++line) std::fprintf(out, "\n%s", *line);
  std::fputs("\n", out);
  std::fflush(out);
}

void print_help(const char* const* brief_help, const char* const* manual, std::uint16_t help,
                std::uint16_t verbose, std::FILE* out) {
  if (help == 0) {
    if (verbose != 0) std::fflush(out);
    return;
  }
  print_line_list(verbose != 0 ? manual : brief_help, out);
}

void print_information(std::uint16_t information, std::uint16_t verbose, std::FILE* out) {
  if (information == 0) return;
  print_line_list(verbose != 0 ? kVerboseInformationLines : kBriefInformationLines, out);
}

void print_section_banner(std::FILE* out, const char* format, ...) {
  char title[84];
  va_list args;
  va_start(args, format);
  std::vsnprintf(title, sizeof title, format, args);  // cuts a longer title to 83 characters
  va_end(args);

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

#include "frontend/console_text.h"

namespace kvr {

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

}  // namespace kvr

#include "bridge/bounded_read.h"

#include <sys/stat.h>

#include <cerrno>

namespace kvr {

ReadEnd read_at_most(std::FILE* stream, std::uint64_t limit, std::string& text, int& error) {
  text.clear();
  error = 0;
  struct stat status {};
  if (::fstat(fileno(stream), &status) == 0 && S_ISREG(status.st_mode) &&
      static_cast<std::uint64_t>(status.st_size) > limit) {
    return ReadEnd::kTooLarge;
  }
  char block[1 << 16];
  for (;;) {
    errno = 0;
    const std::size_t got = std::fread(block, 1, sizeof block, stream);
    if (got == 0) break;
    if (text.size() + got > limit) return ReadEnd::kTooLarge;
    text.append(block, got);
  }
  if (std::ferror(stream) == 0) return ReadEnd::kWhole;
  error = errno;
  return ReadEnd::kFailed;
}

std::string size_in_words(std::uint64_t bytes) {
  constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
  if (bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace kvr

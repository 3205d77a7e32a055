// The extra-options word splitter on arbitrary text, word by word until it returns 0. The word
// buffer is exactly one byte longer than the text, so AddressSanitizer catches any write past the
// text's length. Each word is compared with the rule recomputed here: white space separates words,
// and a run of n backslashes becomes n/2 backslashes right before a double quote.
#include <cctype>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "frontend/extra_options.h"
#include "fuzz_support.h"

namespace {

bool is_space(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// The next word from `at`, and where it ends.
std::string expected_word(const char*& at) {
  while (*at != '\0' && is_space(*at)) ++at;
  std::string word;
  while (*at != '\0' && !is_space(*at)) {
    if (*at == '\\') {
      std::size_t n = 0;
      while (at[n] == '\\') ++n;
      at += n;
      word.append(*at == '"' ? n / 2 : n, '\\');
      continue;
    }
    word += *at++;
  }
  return word;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::size_t length = std::strlen(text.c_str());  // the text ends at its first NUL
  const auto word = std::make_unique<char[]>(length + 1);
  const char* cursor = text.c_str();
  const char* expected_cursor = cursor;
  std::size_t written = 0;
  for (;;) {
    const char* before = cursor;
    const std::size_t n = kvr::split_next_word(word.get(), &cursor);
    const std::string expected = expected_word(expected_cursor);
    KVR_REQUIRE(n == std::strlen(word.get()));
    KVR_REQUIRE(expected == word.get());
    KVR_REQUIRE(cursor == expected_cursor);
    KVR_REQUIRE(cursor >= before && cursor <= text.c_str() + length);
    written += n;
    KVR_REQUIRE(written <= length);
    if (n == 0) break;
  }
  KVR_REQUIRE(cursor == text.c_str() + length);
  return 0;
}

#include "frontend/extra_options.h"

#include <cstdlib>
#include <new>
#include <vector>

#include "base/ascii.h"

namespace kvr {
namespace {

// Runs the three library calls in order, each only after the one before succeeded; `value`
// receives the variable's text when it exists.
Status fetch_variable(ScanLibrary& library, const std::string& variable_name,
                      const std::string& config_file_name, std::string& value, bool& found_value) {
  BoardDataHandle handle = nullptr;
  std::uint32_t aux = 0;
  std::uint16_t found = 0;
  std::vector<char> buffer(kVariableValueCapacity, '\0');

  Status status = library.SMG_LoadBoardData(config_file_name.c_str(), 1, &handle, &aux);
  if (status == kStatusOk) {
    status =
        library.SMG_GetConfigVariable(handle, kExtraOptionsGroup, variable_name.c_str(), &found,
                                      nullptr, nullptr, buffer.data(), kVariableValueCapacity);
  }
  if (status == kStatusOk) status = library.SMG_UnloadBoardData(&handle);
  // Whatever the library left loaded is released as plain C memory.
  if (handle != nullptr) std::free(handle);

  if (found != 0) {
    buffer.back() = '\0';
    try {
      value = buffer.data();
      found_value = true;
    } catch (const std::bad_alloc&) {
      found_value = false;  // a refused copy counts as no value
    }
  }
  return status;
}

}  // namespace

Status load_extra_options(ScanLibrary& library, RunSettings& settings, const char* prefix,
                          const std::string& tail, const std::string& config_file_name,
                          CommandLineParser parser, std::FILE* errors, std::FILE* out) {
  try {
    const std::string variable_name = std::string(prefix) + "_" + tail;
    std::string value;
    bool found_value = false;
    Status status = fetch_variable(library, variable_name, config_file_name, value, found_value);
    if (status != kStatusOk) return status;
    if (!found_value) return kStatusOk;

    std::vector<std::string> words;
    std::vector<char> word(value.size() + 1, '\0');
    const char* cursor = value.c_str();
    while (split_next_word(word.data(), &cursor) != 0) words.emplace_back(word.data());
    std::vector<const char*> word_list;
    word_list.reserve(words.size() + 1);
    for (const std::string& each : words) word_list.push_back(each.c_str());
    word_list.push_back(nullptr);

    // The command line's -e is withdrawn, so that the one-command rule counts only what the
    // variable selects.
    settings.extra_options = 0;
    std::int16_t result =
        parser(settings, static_cast<int>(words.size()), word_list.data(), errors, out);
    return static_cast<Status>(result);
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
}

std::size_t split_next_word(char* word, const char** cursor) {
  const char* at = *cursor;
  while (*at != '\0' && is_space(*at)) ++at;
  std::size_t length = 0;
  while (*at != '\0') {
    if (*at == '\\') {
      std::size_t backslashes = 0;
      while (*at == '\\') {
        ++backslashes;
        ++at;
      }
      std::size_t kept = *at == '"' ? backslashes / 2 : backslashes;
      for (std::size_t i = 0; i < kept; ++i) word[length++] = '\\';
    }
    if (*at == '\0' || is_space(*at)) break;
    word[length++] = *at++;
  }
  word[length] = '\0';
  *cursor = at;
  return length;
}

}  // namespace kvr

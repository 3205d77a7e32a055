#include "library/builtin_library.h"

#if defined(_WIN32)
#include <windows.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "base/ascii.h"
#include "base/file_open.h"
#include "config/board_config_parser.h"
#include "database/format.h"
#include "library/error_texts.h"

namespace kvr {
namespace {

constexpr const char kVersionText[] = "Orbis-Core scan-controller library\n3.3.12\n";

// Copies `text` into a buffer of `capacity` bytes, cut to fit, always terminated.
void copy_text(const char* text, char* buffer, std::uint32_t capacity) {
  if (buffer == nullptr || capacity == 0) return;
  std::size_t length = std::strlen(text);
  if (length > capacity - 1) length = capacity - 1;
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
}

// A heap copy that the release call frees again; null when memory is refused.
char* hand_out(const char* text) {
  std::size_t size = std::strlen(text) + 1;
  char* copy = new (std::nothrow) char[size];
  if (copy != nullptr) std::memcpy(copy, text, size);
  return copy;
}

// What a handle points to: the board configuration file, parsed.
struct LoadedBoard {
  BoardModel model;
};

void destroy(LoadedBoard* board) {
  board->~LoadedBoard();
  std::free(board);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Version 2 rules when the first line carries the label, version 1 rules otherwise.
std::uint8_t config_version_of(std::FILE* file) {
  char first[format::kLabelLength + 1] = {};
  std::size_t got = std::fread(first, 1, format::kLabelLength, file);
  std::rewind(file);
  bool labelled = got == format::kLabelLength &&
                  equal_nocase_n(first, format::kConfigLabel, format::kLabelLength) == 0;
  return labelled ? 2 : 1;
}

}  // namespace

Status BuiltinScanLibrary::SMG_Version(ControllerRecord& controller) {
  copy_text(kVersionText, controller.text, controller.capacity);
  return kStatusOk;
}

Status BuiltinScanLibrary::SMG_OsInform(ControllerRecord& controller) {
  controller.result = 0;  // not determined
  copy_text("", controller.text, controller.capacity);
#if defined(_WIN32)
  // Of the systems that have codes, only the NT family still runs this program: NT 4 is WinNT,
  // NT 5.0 Win2K, NT 5.1 and 5.2 WinXP, with the service pack as what is installed. A newer
  // system has no code of its own.
  OSVERSIONINFOEXA version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const bool known = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version)) != 0;
#pragma GCC diagnostic pop
  if (known && version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
    const DWORD major = version.dwMajorVersion, minor = version.dwMinorVersion;
    controller.result = major == 4 ? 5 : major == 5 && minor == 0 ? 6 : major == 5 ? 8 : 0;
    if (controller.result != 0)
      copy_text(version.szCSDVersion, controller.text, controller.capacity);
  }
#endif
  return kStatusOk;
}

Status BuiltinScanLibrary::SMG_ErrorInform(ErrorRecord& error, ControllerRecord& /*controller*/) {
  if (error.request == 0) {
    delete[] error.title;
    delete[] error.explanation;
    error.title = nullptr;
    error.explanation = nullptr;
    error.title_present = 0;
    error.explanation_present = 0;
    return kStatusOk;
  }
  const ErrorText* entry = find_error_text(error.value);
  if (entry == nullptr) {
    error.origin = kOriginUnknownToDriver;
    error.title = nullptr;
    error.explanation = nullptr;
    error.title_present = 0;
    error.explanation_present = 0;
    return kStatusOk;
  }
  error.origin = kOriginDriver;
  char* title = hand_out(entry->title);
  char* explanation = hand_out(entry->explanation);
  error.title = title;
  error.explanation = explanation;
  error.title_present = title != nullptr ? 1 : 0;
  error.explanation_present = explanation != nullptr ? 1 : 0;
  return kStatusOk;
}

Status BuiltinScanLibrary::SMG_LoadBoardData(const char* file_name, std::uint32_t /*mode*/,
                                             BoardDataHandle* handle, std::uint32_t* /*aux*/) {
  std::unique_ptr<std::FILE, FileCloser> file(open_file(file_name, "r").stream);
  if (!file) return kStatusUnexpectedEnd;
  // The handle is plain C memory, so that a caller that finds it still set after a failed call
  // may release it with free().
  void* memory = std::malloc(sizeof(LoadedBoard));
  if (memory == nullptr) return kStatusNoMemory;
  auto* board = new (memory) LoadedBoard();
  LineSource source{file.get(), 0, nullptr};
  Status status =
      parse_board_config(board->model, source, nullptr, nullptr, config_version_of(file.get()));
  if (status != kStatusOk) {
    destroy(board);
    return status;
  }
  *handle = board;
  return kStatusOk;
}

Status BuiltinScanLibrary::SMG_GetConfigVariable(BoardDataHandle handle, const char* /*group*/,
                                                 const char* name, std::uint16_t* found,
                                                 void* /*reserved_1*/, void* /*reserved_2*/,
                                                 char* value, std::uint32_t capacity) {
  const auto* board = static_cast<const LoadedBoard*>(handle);
  if (board == nullptr) return kStatusOk;
  board->model.variables.for_each_variable([&](std::string_view variable, std::string_view text) {
    if (variable.size() != std::strlen(name) ||
        equal_nocase_n(variable.data(), name, variable.size()) != 0) {
      return;
    }
    // A string is handed over without its enclosing quotes, any other value as written.
    if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'') {
      text = text.substr(1, text.size() - 2);
    }
    if (value != nullptr && capacity > 0) {
      const std::size_t length = text.size() < capacity - 1 ? text.size() : capacity - 1;
      std::memcpy(value, text.data(), length);
      value[length] = '\0';
    }
    *found = 1;
  });
  return kStatusOk;
}

Status BuiltinScanLibrary::SMG_UnloadBoardData(BoardDataHandle* handle) {
  auto* board = static_cast<LoadedBoard*>(*handle);
  if (board != nullptr) destroy(board);
  *handle = nullptr;
  return kStatusOk;
}

}  // namespace kvr

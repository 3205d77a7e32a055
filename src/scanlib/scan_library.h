// The one door to the scan-controller library: its two records and its six operations. The program
// reaches the library only through `ScanLibrary`, so tests can put a fake in its place.
#ifndef KVR_SCANLIB_SCAN_LIBRARY_H_
#define KVR_SCANLIB_SCAN_LIBRARY_H_

#include <cstdint>

#include "base/status.h"

namespace kvr {

// The controller record through which the library hands out texts and numbers. Only the fields
// the program uses are modelled; they keep the meaning of the fixed offsets of the library's
// 116-byte record (named after those offsets where they have no other meaning).
struct ControllerRecord {
  std::uint32_t word_0 = 0;     // offset 0
  std::uint16_t kind = 0;       // offset 20: what is asked (32 for texts, 0x4000 for errors)
  std::uint32_t result = 0;     // offset 24: a number the library answers (the system code)
  std::uint32_t word_36 = 0;    // offset 36
  std::uint32_t capacity = 0;   // offset 76: capacity of `text`, its terminating zero included
  char* text = nullptr;         // offset 80: the caller's text buffer
  std::uint32_t value_100 = 0;  // offset 100
};

// Where an error comes from, in the low 4 bits of `origin`.
inline constexpr std::uint32_t kOriginUnknownToDriver = 0;
inline constexpr std::uint32_t kOriginAdapterLibrary = 1;
inline constexpr std::uint32_t kOriginDriver = 2;

// The error record of an explanation look-up: eight 32-bit words in the library's layout.
struct ErrorRecord {
  std::uint32_t origin = 0;               // word 0 (out): origin code in the low 4 bits
  std::uint32_t request = 0;              // word 1 (in): 1 to look up, 0 to release
  Status value = 0;                       // word 2 (in): the error value
  const char* title = nullptr;            // word 3 (out)
  const char* explanation = nullptr;      // word 4 (out)
  std::uint32_t title_present = 0;        // word 5 (out): nonzero when `title` holds one
  std::uint32_t explanation_present = 0;  // word 6 (out): nonzero when `explanation` holds one
  const char* no_source_text = nullptr;   // word 7 (out): shown when no source exists (-156)
};

// Handle to board data loaded by the library; null when nothing is loaded.
using BoardDataHandle = void*;

class ScanLibrary {
 public:
  virtual ~ScanLibrary() = default;

  // Writes a text of "\n"-separated lines into `controller.text`; its second non-empty line is
  // the library's version.
  virtual Status SMG_Version(ControllerRecord& controller) = 0;
  // Sets `controller.result` to the system code (3 Win95, 4 Win98, 5 WinNT, 6 Win2K, 7 WinME,
  // 8 WinXP, anything else: not determined) and, for the NT family, the text to what is installed.
  virtual Status SMG_OsInform(ControllerRecord& controller) = 0;
  // Looks up (request 1) or releases (request 0) the explanation of `error.value`. Returns -156
  // with `no_source_text` set when no explanation source is available.
  virtual Status SMG_ErrorInform(ErrorRecord& error, ControllerRecord& controller) = 0;
  // Loads the board configuration file `file_name`; `*handle` and `*aux` are zero on entry.
  virtual Status SMG_LoadBoardData(const char* file_name, std::uint32_t mode,
                                   BoardDataHandle* handle, std::uint32_t* aux) = 0;
  // Fetches the configure variable `name` of `group`; sets `*found` nonzero and writes the value
  // (at most capacity - 1 characters and a zero) when the variable exists.
  virtual Status SMG_GetConfigVariable(BoardDataHandle handle, const char* group, const char* name,
                                       std::uint16_t* found, void* reserved_1, void* reserved_2,
                                       char* value, std::uint32_t capacity) = 0;
  // Frees the loaded data and nulls the handle.
  virtual Status SMG_UnloadBoardData(BoardDataHandle* handle) = 0;
};

}  // namespace kvr

#endif  // KVR_SCANLIB_SCAN_LIBRARY_H_

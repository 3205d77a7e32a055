// A scan-controller library whose every answer a test chooses, and which records what it was
// asked.
#ifndef KVR_TESTS_SUPPORT_FAKE_SCAN_LIBRARY_H_
#define KVR_TESTS_SUPPORT_FAKE_SCAN_LIBRARY_H_

#include <string>
#include <vector>

#include "scanlib/scan_library.h"

namespace kvr::testing {

class FakeScanLibrary final : public ScanLibrary {
 public:
  // SMG_Version
  Status version_status = kStatusOk;
  std::string version_text = "Fake scan-controller library\n3.3.12\n";
  // SMG_OsInform
  std::uint32_t system_code = 0;
  std::string system_text;
  // SMG_ErrorInform
  Status lookup_status = kStatusOk;
  std::uint32_t origin = kOriginDriver;
  const char* title = "A title";
  std::uint32_t title_present = 1;
  const char* explanation = "An explanation.\n";
  std::uint32_t explanation_present = 1;
  const char* no_source_text = "No source of explanations.\n";
  int lookups = 0;
  int releases = 0;
  std::vector<Status> values_looked_up;
  // Board data
  Status load_status = kStatusOk;
  Status get_status = kStatusOk;
  Status unload_status = kStatusOk;
  bool variable_exists = false;
  std::string variable_value;
  bool unload_keeps_handle = false;
  std::vector<std::string> calls;  // "load <file>", "get <group> <name>", "unload"

  Status SMG_Version(ControllerRecord& controller) override;
  Status SMG_OsInform(ControllerRecord& controller) override;
  Status SMG_ErrorInform(ErrorRecord& error, ControllerRecord& controller) override;
  Status SMG_LoadBoardData(const char* file_name, std::uint32_t mode, BoardDataHandle* handle,
                           std::uint32_t* aux) override;
  Status SMG_GetConfigVariable(BoardDataHandle handle, const char* group, const char* name,
                               std::uint16_t* found, void* reserved_1, void* reserved_2,
                               char* value, std::uint32_t capacity) override;
  Status SMG_UnloadBoardData(BoardDataHandle* handle) override;
};

}  // namespace kvr::testing

#endif  // KVR_TESTS_SUPPORT_FAKE_SCAN_LIBRARY_H_

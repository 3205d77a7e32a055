// Our own implementation of the scan-controller library, built into the program.
#ifndef KVR_LIBRARY_BUILTIN_LIBRARY_H_
#define KVR_LIBRARY_BUILTIN_LIBRARY_H_

#include "scanlib/scan_library.h"

namespace kvr {

// The version the built-in library reports; the program refuses to run with any other.
inline constexpr const char* kLibraryVersion = "3.3.12";

class BuiltinScanLibrary final : public ScanLibrary {
 public:
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

}  // namespace kvr

#endif  // KVR_LIBRARY_BUILTIN_LIBRARY_H_

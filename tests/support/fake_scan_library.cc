#include "support/fake_scan_library.h"

#include <cstdlib>
#include <cstring>

namespace kvr::testing {
namespace {

void copy_into(const std::string& text, char* buffer, std::uint32_t capacity) {
  if (buffer == nullptr || capacity == 0) return;
  std::size_t length = text.size() < capacity - 1 ? text.size() : capacity - 1;
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

}  // namespace

Status FakeScanLibrary::SMG_Version(ControllerRecord& controller) {
  if (version_status == kStatusOk) copy_into(version_text, controller.text, controller.capacity);
  return version_status;
}

Status FakeScanLibrary::SMG_OsInform(ControllerRecord& controller) {
  controller.result = system_code;
  copy_into(system_text, controller.text, controller.capacity);
  return kStatusOk;
}

Status FakeScanLibrary::SMG_ErrorInform(ErrorRecord& error, ControllerRecord& /*controller*/) {
  if (error.request == 0) {
    ++releases;
    return kStatusOk;
  }
  ++lookups;
  values_looked_up.push_back(error.value);
  if (lookup_status == kStatusNoExplanationSource) error.no_source_text = no_source_text;
  if (lookup_status != kStatusOk) return lookup_status;
  error.origin = origin;
  error.title = title;
  error.title_present = title_present;
  error.explanation = explanation;
  error.explanation_present = explanation_present;
  return kStatusOk;
}

Status FakeScanLibrary::SMG_LoadBoardData(const char* file_name, std::uint32_t /*mode*/,
                                          BoardDataHandle* handle, std::uint32_t* /*aux*/) {
  calls.push_back(std::string("load ") + file_name);
  if (load_status != kStatusOk) return load_status;
  *handle = std::malloc(16);
  return kStatusOk;
}

Status FakeScanLibrary::SMG_GetConfigVariable(BoardDataHandle /*handle*/, const char* group,
                                              const char* name, std::uint16_t* found,
                                              void* /*reserved_1*/, void* /*reserved_2*/,
                                              char* value, std::uint32_t capacity) {
  calls.push_back(std::string("get ") + group + " " + name);
  if (get_status != kStatusOk) return get_status;
  if (variable_exists) {
    *found = 1;
    copy_into(variable_value, value, capacity);
  }
  return kStatusOk;
}

Status FakeScanLibrary::SMG_UnloadBoardData(BoardDataHandle* handle) {
  calls.push_back("unload");
  if (!unload_keeps_handle) {
    std::free(*handle);
    *handle = nullptr;
  }
  return unload_status;
}

}  // namespace kvr::testing

// The test doubles of harness.h: the chosen library, the allocation switch and the failing stream.
#include <cstdlib>
#include <cstring>
#include <new>

#include "support/harness.h"

namespace kvr::testing {
namespace {

void copy_into(const std::string& text, char* buffer, std::uint32_t capacity) {
  const std::size_t length = std::min<std::size_t>(text.size(), capacity - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

std::string record(const ControllerRecord& c) {
  return " " + std::to_string(c.kind) + " " + std::to_string(c.capacity) + "\n";
}

}  // namespace

Status FakeLibrary::SMG_Version(ControllerRecord& controller) {
  calls += "version" + record(controller);
  if (answers.version_status == 0)
    copy_into(answers.version_text, controller.text, controller.capacity);
  return answers.version_status;
}

Status FakeLibrary::SMG_OsInform(ControllerRecord& controller) {
  calls += "os" + record(controller);
  controller.result = answers.system_code;
  copy_into(answers.system_text, controller.text, controller.capacity);
  return 0;
}

Status FakeLibrary::SMG_ErrorInform(ErrorRecord& error, ControllerRecord& c) {
  if (error.request == 0) {
    calls += "release\n";
    return 0;
  }
  const bool zeros = c.word_0 == 0 && c.word_36 == 0 && c.text == nullptr && c.value_100 == 0;
  calls += "explain " + std::to_string(error.value) + (zeros ? "" : " nonzero") + record(c);
  error.no_source_text = "No source.\n";
  if (answers.lookup_status != 0) return answers.lookup_status;
  error.origin = answers.origin;
  error.title = answers.title;
  error.title_present = answers.title != nullptr;
  error.explanation = answers.explanation;
  error.explanation_present = answers.explanation != nullptr;
  return 0;
}

Status FakeLibrary::SMG_LoadBoardData(const char* file_name, std::uint32_t mode,
                                      BoardDataHandle* handle, std::uint32_t*) {
  calls += std::string("load ") + file_name + " " + std::to_string(mode) + "\n";
  if (answers.load_status == 0) *handle = std::malloc(16);
  return answers.load_status;
}

Status FakeLibrary::SMG_GetConfigVariable(BoardDataHandle, const char* group, const char* name,
                                          std::uint16_t* found, void*, void*, char* value,
                                          std::uint32_t capacity) {
  calls += std::string("get ") + group + " " + name + " " + std::to_string(capacity) + "\n";
  if (answers.get_status == 0 && answers.variable) {
    *found = 1;
    copy_into(*answers.variable, value, capacity);
  }
  return answers.get_status;
}

Status FakeLibrary::SMG_UnloadBoardData(BoardDataHandle* handle) {
  calls += "unload\n";
  if (!answers.keeps_handle) {
    std::free(*handle);
    *handle = nullptr;
  }
  return answers.unload_status;
}

// The one mutable global of the tests: replaced allocation functions can reach nothing else.
struct AllocationSwitch {
  bool armed = false, refused = false;
  std::size_t remaining = 0;
} g_allocation;

void arm_allocation_failure(std::size_t allowed) {
  g_allocation = {true, false, allowed};
}
bool disarm_allocation_failure() {
  g_allocation.armed = false;
  return g_allocation.refused;
}

bool FailingSink::write(const char* data, std::size_t size) {
  for (std::size_t done = 0; done < size; ++done) {
    if (written++ >= failing_byte) return false;
    if (position >= bytes.size()) bytes.resize(position + 1);
    bytes[position++] = data[done];
  }
  return true;
}

bool FailingSink::seek(std::uint64_t offset) {
  if (seeks++ >= failing_seek) return false;
  position = static_cast<std::size_t>(offset);
  return true;
}

}  // namespace kvr::testing

// Every form of the non-aligned allocation functions, so that none of them is left to a runtime
// (such as a sanitizer's) that allocates in its own way.
void* operator new(std::size_t size) {
  auto& s = kvr::testing::g_allocation;
  if (s.armed && s.remaining-- == 0) {
    s.refused = true;
    s.remaining = 0;
    throw std::bad_alloc();
  }
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept {
  return operator new(size, nothrow);
}
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete[](void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}

// Graphviz's library keeps memory for the whole process (its plugins and fonts) and never frees it,
// also when it refuses a graph; under LeakSanitizer that is no leak of ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libgvc.so\nleak:libcgraph.so\nleak:libfontconfig.so\nleak:libpango\n";
}

// What the tests share: byte streams, a scratch folder that is the current folder while it lives,
// whole runs of the program, the seams below the command line (the parser into the model, the
// writer's bytes, the analyser's dump), the rules every parsed model keeps, a scan-controller
// library whose answers a test chooses, and switches that make allocation or writing fail.
#ifndef KVR_TESTS_SUPPORT_HARNESS_H_
#define KVR_TESTS_SUPPORT_HARNESS_H_

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/file_open.h"
#include "database/board_model.h"
#include "scanlib/scan_library.h"

namespace kvr::testing {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;
UniqueFile stream_with(const std::string& bytes);                // seekable, at offset 0
std::string contents_of(std::FILE* stream);                      // everything, from offset 0
std::string words(std::initializer_list<std::uint32_t> values);  // little-endian, as in a file

struct RunResult {
  int exit_status = -1;
  std::string out, err;
};

class Sandbox {
 public:
  Sandbox();
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;
  std::string path(const std::string& name) const;
  void write(const std::string& name, const std::string& bytes) const;
  std::string read(const std::string& name) const;
  // The program run in this process, with the built-in library unless `library` is given.
  RunResult run(const std::vector<std::string>& arguments, ScanLibrary* library = nullptr,
                FileAccess files = {}) const;

 private:
  std::string path_, previous_;
};

// A parse, and the model as its readers see it.
struct Parsed {
  Status status = 0;
  std::uint32_t line = 0;
  BoardModel model;
  std::string echo;  // the verbose echo
  std::vector<DeviceRecord> devices;
  std::vector<std::uint32_t> device_classes;
  std::vector<DeviceName> device_names;
  std::vector<std::pair<std::string, std::string>> variables;
};
Parsed parse_text(const std::string& text, std::uint8_t version, bool verbose = false);
std::string write_bytes(const BoardModel& model, std::uint8_t version, Status* status = nullptr);
struct Analysed {
  Status status = 0;
  std::string dump;
};
Analysed analyse_bytes(const std::string& bytes, std::uint8_t version, bool verbose = true);

// "" when every device keeps the path rules, recomputed from the order of each path alone;
// otherwise the first rule broken.
std::string path_rule_broken(const std::vector<DeviceRecord>& devices, std::uint32_t class_count);

class FakeLibrary final : public ScanLibrary {
 public:
  Status version_status = 0, lookup_status = 0, load_status = 0, get_status = 0, unload_status = 0;
  std::string version_text = "Fake library\n3.3.12\n", system_text, variable_value;
  std::uint32_t system_code = 0, origin = kOriginDriver;
  const char* title = "A title";
  const char* explanation = "An explanation.\n";
  bool variable_exists = false, unload_keeps_handle = false;
  std::string calls;  // every call in order, one a line, with what it was given

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

// While one lives, the first N allocations succeed and every later one throws std::bad_alloc.
class AllocationFailureAfter {
 public:
  explicit AllocationFailureAfter(std::size_t successful_allocations);
  ~AllocationFailureAfter();
  AllocationFailureAfter(const AllocationFailureAfter&) = delete;
  AllocationFailureAfter& operator=(const AllocationFailureAfter&) = delete;
  static bool refused_any();
};

// An unbuffered in-memory output stream whose byte writes fail from the given 0-based one on,
// and whose seeks fail from the given one on; `bytes` holds what was written.
struct FailingStream {
  std::size_t failing_write = ~std::size_t{0}, failing_seek = ~std::size_t{0};
  std::string bytes;
  std::size_t position = 0, writes = 0, seeks = 0;
  UniqueFile open();        // this must outlive the stream
  static bool available();  // only where the C library lets a program make its own streams
};

}  // namespace kvr::testing

#endif  // KVR_TESTS_SUPPORT_HARNESS_H_

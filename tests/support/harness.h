// What the tests share: byte streams, a scratch folder, whole runs of a program, the seams below
// the command line, the path rules, random boards, and doubles that fail on request.
#ifndef KVR_TESTS_SUPPORT_HARNESS_H_
#define KVR_TESTS_SUPPORT_HARNESS_H_

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/file_open.h"
#include "database/board_model.h"
#include "database/byte_sink.h"
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
  bool refused = false;  // an allocation was refused
};
// A program's main function run in this process on `words` (its name first), with in-memory
// standard output and error; every allocation after the first `allowed` of the run is refused.
using Main = std::function<int(int, const char* const*, std::FILE*, std::FILE*)>;
RunResult run_main(const Main& main, const std::vector<std::string>& words,
                   std::size_t allowed = ~std::size_t{0});

// How many files this process holds open (0 where the system does not say, as on Windows): a run
// that memory stops must still close what it opened, since a process runs many in turn.
std::size_t open_files();

class Sandbox {
 public:
  Sandbox();
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;
  std::string path(const std::string& name) const;
  void write(const std::string& name, const std::string& bytes) const;
  std::string read(const std::string& name) const;
  // kvrbuild run in this process (as run_main), with the built-in library unless one is given.
  RunResult run(const std::vector<std::string>& arguments, ScanLibrary* library = nullptr,
                FileAccess files = {}, std::size_t allowed = ~std::size_t{0}) const;

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

// What a stand-in scan-controller library answers, field by field.
struct LibraryAnswers {
  std::string version_text = "Fake library\n3.3.12\n";
  Status version_status = 0;
  std::uint32_t system_code = 0;
  std::string system_text = "";
  Status load_status = 0, get_status = 0, unload_status = 0, lookup_status = 0;
  std::uint32_t origin = kOriginDriver;
  const char* title = "A title";
  const char* explanation = "An explanation.\n";
  bool keeps_handle = false;                 // an unload leaves the handle set
  std::optional<std::string> variable = {};  // the value of every variable asked for
};

class FakeLibrary final : public ScanLibrary {
 public:
  LibraryAnswers answers;
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

// While armed, the first `allowed` allocations succeed and every later one throws std::bad_alloc;
// disarming tells whether any was refused.
void arm_allocation_failure(std::size_t allowed);
bool disarm_allocation_failure();

// A database sink in memory whose bytes fail from the given 0-based one on (the bytes before it in
// the same write are taken), and whose seeks fail from the given one on; `bytes` holds what was
// written.
struct FailingSink final : ByteSink {
  std::size_t failing_byte = ~std::size_t{0}, failing_seek = ~std::size_t{0};
  std::string bytes;
  std::size_t position = 0, written = 0, seeks = 0;
  FailingSink(std::size_t byte, std::size_t seek) : failing_byte(byte), failing_seek(seek) {}
  bool write(const char* data, std::size_t size) override;
  bool seek(std::uint64_t offset) override;
};

// A random board of either version in a random layout, with what the parser must give for it:
// every family but the scan port, in runs of like devices, linkers with up to two runs a sub-path
// (where bypass and generic IDs may carry fewer digits), random letter case, blanks, line ends and
// comments. Path fields are left 0 for the path rules to judge; a class ID whose digits are not
// plain hexadecimal gets kUnpredicted for its high-level class.
struct GeneratedBoard {
  std::string text;
  std::vector<DeviceRecord> devices;
  std::vector<std::uint32_t> device_classes;
  std::vector<DeviceName> device_names;
  std::vector<ClassRecord> classes;
  std::vector<std::pair<std::string, std::string>> variables;
};
inline constexpr std::uint32_t kUnpredicted = ~std::uint32_t{0};
GeneratedBoard generate_board(unsigned seed, std::uint8_t version);

}  // namespace kvr::testing

// A fuzz target's invariant: when it does not hold, the run stops with a message, and libFuzzer
// keeps the input as it keeps one that crashes.
#define KVR_REQUIRE(condition)                                                               \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (0)

#endif  // KVR_TESTS_SUPPORT_HARNESS_H_

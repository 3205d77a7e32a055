// The in-memory description of one board: what the configuration parser fills, the database
// writer writes and the dispatcher releases. Records are plain data; the model owns every array and
// string it refers to.
//
// The counters are kept apart from the arrays on purpose: the parser counts a device as soon as its
// name is read, before its record exists, and the analyser keeps only the counts it reads from a
// database file and creates no records at all.
#ifndef KVR_DATABASE_BOARD_MODEL_H_
#define KVR_DATABASE_BOARD_MODEL_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace kvr {

inline constexpr std::size_t kFamilyRowCount = 25;

// One device of the scan path. The field order is the order of the words in a database file.
struct DeviceRecord {
  std::uint32_t dev_id = 0;   // 1-based position in the configuration file
  std::uint32_t cls_id = 0;   // index of the family's first class record
  std::uint32_t prior = 0;    // dev_id of the device before it on its path, 0 for the first
  std::uint32_t parent = 0;   // dev_id of the linker whose sub-path holds it, 0 on the main path
  std::uint32_t subpath = 0;  // 0 to 3 inside a linker, 0 on the main path
  std::uint32_t connect = 0;  // 1 for a scan-path linker
  std::array<std::uint32_t, 4> sub_id{};  // linker only: first dev_id of each sub-path, or 0
  std::uint32_t mainIR = 0;               // instruction-register length in bits
  std::uint32_t preIR = 0;                // IR bits before it on its path
  std::uint32_t preDR = 0;                // devices before it on its path
  std::uint32_t posIR = 0;                // IR bits after it (plus one on a linker sub-path)
  std::uint32_t posDR = 0;                // devices after it (plus one on a linker sub-path)

  friend bool operator==(const DeviceRecord&, const DeviceRecord&) = default;
};

struct ClassRecord {
  std::uint32_t rev = 0;
  std::uint32_t size = 0;
  std::uint32_t addr = 0;
  std::uint32_t who = 0;

  friend bool operator==(const ClassRecord&, const ClassRecord&) = default;
};

struct ConfigVariable {
  std::string name;   // 1 to 32 characters, as written
  std::string value;  // as written, a string value with its quotes

  friend bool operator==(const ConfigVariable&, const ConfigVariable&) = default;
};

// A device name: 1 to 8 lower-case characters, zero-filled up to and including the ninth byte, so
// the first eight bytes can be written out as a fixed-width field.
using DeviceName = std::array<char, 9>;

struct BoardModel {
  std::array<std::uint32_t, kFamilyRowCount> family_class_base{};
  std::array<std::uint32_t, kFamilyRowCount> family_use_count{};
  std::uint32_t device_count = 0;
  std::uint32_t class_count = 0;
  std::uint32_t variable_count = 0;
  std::vector<DeviceRecord> devices;
  std::vector<ClassRecord> classes;
  std::vector<ConfigVariable> variables;
  std::vector<std::uint32_t> device_classes;  // high-level class per device
  std::vector<DeviceName> device_names;

  // Hashed indexes for the duplicate-name checks, so that a parse stays linear in the file:
  // variable names lower-cased, device names packed into their eight bytes.
  std::unordered_set<std::string> variable_keys;
  std::unordered_set<std::uint64_t> device_name_keys;
};

// The key under which a variable name is indexed: the name with ASCII letters lower-cased.
std::string variable_key(std::string_view name);
// The key under which a device name (already lower case, zero-filled) is indexed.
std::uint64_t device_name_key(const DeviceName& name);

// Frees everything the model holds and sets every counter and both family tables to 0. Safe on a
// model in any state that a failed parse leaves, on an empty model, and twice.
void release_board_model(BoardModel& model);

}  // namespace kvr

#endif  // KVR_DATABASE_BOARD_MODEL_H_

// The in-memory description of one board: what the configuration parser fills, the database
// writer writes and other readers walk. The model keeps what a configuration file says of each
// device (its name, family, IR length, high-level class and place) and derives every other field
// of its database record from the order of the paths (database/device_walk.h), so that a board of
// a million devices takes about twenty bytes a device. The model owns everything it refers to.
//
// The counters are kept apart from the arrays on purpose: the analyser keeps only the counts it
// reads from a database file and creates no records at all.
#ifndef KVR_DATABASE_BOARD_MODEL_H_
#define KVR_DATABASE_BOARD_MODEL_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/chunked.h"
#include "database/variable_arena.h"

namespace kvr {

inline constexpr std::size_t kFamilyRowCount = 25;

// One device's record as a database file stores it. The field order is the order of the words.
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

// A device name: 1 to 8 lower-case characters, zero-filled up to and including the ninth byte, so
// the first eight bytes can be written out as a fixed-width field.
using DeviceName = std::array<char, 9>;

// What the model keeps of a device: sixteen bytes. A device inside a linker's sub-path belongs to
// the last linker before it, so `place` says only which sub-path (0 to 3), or that the device is
// on the main path, or that it is a linker.
struct DeviceEntry {
  std::array<char, 8> name;  // the name field: lower case, zero-filled
  std::uint32_t high_level;  // the device's high-level class
  std::uint16_t mainIR;      // at most 0x400
  std::uint8_t family;       // its row of the family class table
  std::uint8_t place;
};
inline constexpr std::uint8_t kLinkerPlace = 4;
inline constexpr std::uint8_t kMainPathPlace = 5;

// What the model keeps of a scan-path linker beside its entry: where its sub-paths begin and what
// they add up to.
struct LinkerEntry {
  std::uint32_t dev_id = 0;
  std::array<std::uint32_t, 4> sub_id{};         // first dev_id of each sub-path, or 0
  std::array<std::uint32_t, 4> group_ir{};       // IR bits of each sub-path's devices
  std::array<std::uint32_t, 4> group_devices{};  // devices on each sub-path
};

struct BoardModel {
  std::array<std::uint32_t, kFamilyRowCount> family_class_base{};
  std::array<std::uint32_t, kFamilyRowCount> family_use_count{};
  std::uint32_t device_count = 0;
  std::uint32_t class_count = 0;
  std::uint32_t variable_count = 0;
  std::vector<ClassRecord> classes;
  Chunked<DeviceEntry> devices;
  std::vector<LinkerEntry> linkers;
  std::uint32_t linker_class = 0;  // the class record every linker shares, once there is one
  std::uint32_t main_ir = 0;       // IR bits of the main path's devices
  std::uint32_t main_devices = 0;  // devices on the main path
  VariableArena variables;
  // What a parse keeps beyond the counts. Where nothing will read them, a parse alone keeps no
  // device entries and no variables, and one for a version 1 database (which has no variable
  // section) no variables: that spares memory of about the size of the input, and the time to
  // fill it. A parse that checks names as it reads them keeps everything, to compare names with.
  bool keep_devices = true;
  bool keep_variables = true;
};

// The device's name as a zero-terminated text.
DeviceName name_of(const DeviceEntry& device);

}  // namespace kvr

#endif  // KVR_DATABASE_BOARD_MODEL_H_

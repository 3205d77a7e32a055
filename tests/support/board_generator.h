// Random boards of either version in random layouts, each with what the parser must give for it.
// Every family a class ID can name appears (the linker aside, which has its own turn, and the
// addressable scan port), in runs of like devices that a version 2 database may store as one
// group; linkers hold up to two runs a sub-path, where bypass and generic IDs may carry fewer
// digits; names, class IDs and variables come in random letter case, blanks, line ends and
// comments.
#ifndef KVR_TESTS_SUPPORT_BOARD_GENERATOR_H_
#define KVR_TESTS_SUPPORT_BOARD_GENERATOR_H_

#include <string>
#include <utility>
#include <vector>

#include "database/board_model.h"

namespace kvr::testing {

// The high-level class of a device whose class-ID digits are not plain hexadecimal ('x', '-', 'G'
// and the like): what they give is the class-ID reader's to decide and the family tests' to check.
inline constexpr std::uint32_t kUnpredicted = ~std::uint32_t{0};

struct GeneratedBoard {
  std::string text;
  // What the parser must give. The path fields of each record (prior, preIR, preDR, posIR, posDR)
  // are left 0: the path rules judge them (path_rule_broken).
  std::vector<DeviceRecord> devices;
  std::vector<std::uint32_t> device_classes;  // kUnpredicted where the digits are not plain
  std::vector<DeviceName> device_names;
  std::vector<ClassRecord> classes;
  std::vector<std::pair<std::string, std::string>> variables;
};

GeneratedBoard generate_board(unsigned seed, std::uint8_t version);

}  // namespace kvr::testing

#endif  // KVR_TESTS_SUPPORT_BOARD_GENERATOR_H_

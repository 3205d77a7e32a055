// The settings of one run, filled by the command-line parser (and once more by the extra options
// taken from a configure variable) and read by every later stage.
#ifndef KVR_FRONTEND_RUN_SETTINGS_H_
#define KVR_FRONTEND_RUN_SETTINGS_H_

#include <cstdint>
#include <optional>
#include <string>

namespace kvr {

inline constexpr const char* kDefaultConfigFile = ".\\board.cfg";
inline constexpr const char* kDefaultDatabaseFile = ".\\board.dat";
inline constexpr std::size_t kMaxConfigFileName = 260;  // characters, before an added extension
inline constexpr std::size_t kMaxVariableTail = 32;     // characters of the variable-name tail

struct RunSettings {
  std::uint16_t verbose = 0;
  std::uint16_t help = 0;
  std::uint16_t information = 0;
  std::uint16_t extra_options = 0;
  std::uint16_t config_file_given = 0;
  std::uint16_t redirect = 0;
  std::uint16_t generate = 0;
  std::uint16_t parse = 0;
  std::uint16_t analyse = 0;
  std::uint8_t generate_version = 2;
  std::uint8_t parse_version = 2;
  std::optional<std::string> input_name;   // lower-cased, or a default
  std::optional<std::string> output_name;  // generate only
  std::string config_file_name = kDefaultConfigFile;
  std::string redirect_file_name;
  std::string variable_tail = "OPTIONS";
};

}  // namespace kvr

#endif  // KVR_FRONTEND_RUN_SETTINGS_H_

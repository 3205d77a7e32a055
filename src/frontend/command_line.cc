#include "frontend/command_line.h"

#include <cstring>
#include <new>

#include "base/ascii.h"
#include "base/file_open.h"
#include "base/status.h"

namespace kvr {
namespace {

constexpr std::int16_t kParseOk = 0;
constexpr std::int16_t kParseRefused = 1;
constexpr std::int16_t kParseNoMemory = static_cast<std::int16_t>(kStatusNoMemory);

constexpr const char* kTooLong = "Error: The %s selected by option -%c is too long.\n";
constexpr const char* kAbsent = "Error: The %s for option -%c is absent.\n";
constexpr const char* kNameTooLong = "Error: The %s for option -%c too long.\n";
constexpr const char* kInvalidVersion =
    "Error: The %s for option -%c is invalid. It must be 1 or 2.\n";
constexpr const char* kReplaced =
    "Error: The option -%c has been replaced by the '-i' and\n"
    "'-vi' options that provide brief and verbose information\n"
    "about version two format of board configuration files.";
constexpr const char* kInvalidArguments = "Error: KVRBUILD has invalid arguments.\n";
constexpr const char* kCommandMissing = "Error: one of `-h/-e/-i/-g/-p/-a' must be used.\n";
constexpr const char* kCommandTwice = "Error: Only one of `-h/-e/-i/-g/-p/-a' may be used.\n";
constexpr const char* kTooManyArguments = "Error: Too many arguments.\n";
constexpr const char* kIdenticalNames = "Error: The filenames cannot be identical.\n";

constexpr const char* kVariableNameWhat = "configure variable name";
constexpr const char* kConfigFileWhat = "configure-file name";
constexpr const char* kDatabaseVersionWhat = "choice of `board.dat' format version";
constexpr const char* kConfigVersionWhat = "choice of `board.cfg' format version";

bool starts_option(const char* word) {
  return word[0] == '-' || word[0] == '/';
}

// Applies a format version sub-argument of -g or -p; false after its message.
bool apply_version(int letter, const char* sub_argument, const char* what, std::uint8_t& version,
                   std::FILE* errors) {
  if (sub_argument == nullptr) {
    std::fprintf(errors, kAbsent, what, letter);
    return false;
  }
  if (std::strcmp(sub_argument, "1") == 0) {
    version = 1;
  } else if (std::strcmp(sub_argument, "2") == 0) {
    version = 2;
  } else {
    std::fprintf(errors, kInvalidVersion, what, letter);
    return false;
  }
  return true;
}

// The flag an option without a sub-argument sets, or null.
std::uint16_t* flag_of(RunSettings& settings, int letter) {
  switch (letter) {
    case 'h':
    case '?':
      return &settings.help;
    case 'v':
      return &settings.verbose;
    case 'i':
      return &settings.information;
    case 'a':
      return &settings.analyse;
    default:
      return nullptr;
  }
}

// Applies one option letter; false after its message.
bool apply_option(RunSettings& settings, int letter, const char* sub_argument, std::FILE* errors) {
  if (std::uint16_t* flag = flag_of(settings, letter)) {
    *flag = 1;
    return true;
  }
  switch (letter) {
    case 'e':
      if (sub_argument != nullptr) {
        if (settings.variable_tail.size() + 1 + std::strlen(sub_argument) > kMaxVariableTail) {
          std::fprintf(errors, kTooLong, kVariableNameWhat, letter);
          return false;
        }
        settings.variable_tail += '_';
        settings.variable_tail += sub_argument;
      }
      settings.extra_options = 1;
      return true;
    case 'f':
      if (sub_argument == nullptr) {
        std::fprintf(errors, kAbsent, kConfigFileWhat, letter);
        return false;
      }
      if (std::strlen(sub_argument) > kMaxConfigFileName) {
        std::fprintf(errors, kNameTooLong, kConfigFileWhat, letter);
        return false;
      }
      settings.config_file_name = sub_argument;
      add_default_extension(settings.config_file_name, ".cfg");
      settings.config_file_given = 1;
      return true;
    case 'g':
      settings.generate = 1;
      return apply_version(letter, sub_argument, kDatabaseVersionWhat, settings.generate_version,
                           errors);
    case 'p':
      settings.parse = 1;
      return apply_version(letter, sub_argument, kConfigVersionWhat, settings.parse_version,
                           errors);
    case 'o':
      if (sub_argument != nullptr) {
        settings.redirect_file_name = sub_argument;
        add_default_extension(settings.redirect_file_name, ".txt");
      }
      settings.redirect = 1;
      return true;
    case 'l':
      std::fprintf(errors, kReplaced, letter);
      return false;
    default:
      std::fputs(kInvalidArguments, errors);
      return false;
  }
}

// The one-command rule; false after its message.
bool check_one_command(RunSettings& settings, std::uint32_t name_count, std::FILE* out) {
  int selected = (settings.extra_options != 0) + (settings.generate != 0) + (settings.parse != 0) +
                 (settings.analyse != 0) + (settings.help != 0) + (settings.information != 0);
  if (selected == 0) {
    if (name_count != 0) {
      std::fputs(kCommandMissing, out);
      return false;
    }
    settings.help = 1;
    settings.information = 0;
    settings.verbose = 0;
  } else if (selected > 1) {
    std::fputs(kCommandTwice, out);
    return false;
  }
  return true;
}

// The file-name checks and defaults of the selected command; false after its message.
bool check_file_names(RunSettings& settings, std::uint32_t name_count, std::FILE* out) {
  if (settings.generate != 0) {
    if (name_count > 2) {
      std::fputs(kTooManyArguments, out);
      return false;
    }
    if (!settings.input_name) settings.input_name = kDefaultConfigFile;
    if (!settings.output_name) settings.output_name = kDefaultDatabaseFile;
    // Names that differ as text may still be one file (board.dat and .\board.dat); generate must
    // never write over its own input, so both forms are refused.
    if (*settings.input_name == *settings.output_name ||
        same_existing_file(*settings.input_name, *settings.output_name)) {
      std::fputs(kIdenticalNames, out);
      return false;
    }
  } else if (settings.parse != 0) {
    if (name_count >= 2) {
      std::fputs(kTooManyArguments, out);
      return false;
    }
    if (!settings.input_name) settings.input_name = kDefaultConfigFile;
  } else if (settings.analyse != 0) {
    if (name_count >= 2) {
      std::fputs(kTooManyArguments, out);
      return false;
    }
    if (!settings.input_name) settings.input_name = kDefaultDatabaseFile;
  } else if (settings.information != 0) {
    if (name_count >= 1) {
      std::fputs(kTooManyArguments, out);
      return false;
    }
  }
  return true;
}

}  // namespace

bool OptionScanner::next_option(int& letter, const char*& sub_argument) {
  letter = 0;
  sub_argument = nullptr;
  const char* current = group_rest;
  if (current == nullptr) {
    if (next_index >= static_cast<std::uint32_t>(count < 0 ? 0 : count)) return false;
    const char* word = words[next_index];
    // Any other word ends the options, and so do the words "-" and "/" (which are file names).
    if (!starts_option(word) || word[1] == '\0') return false;
    ++next_index;
    if (word[1] == word[0] && word[2] == '\0') return false;  // "--" or "//": consumed
    current = word + 1;
  }
  letter = static_cast<unsigned char>(*current);
  const char* found = std::strchr(options, *current);
  group_rest = nullptr;
  if (found != nullptr && found[1] == *current) {
    // A sub-argument: the rest of the word, or else the next word unless it is an option. It
    // always ends the group.
    if (current[1] != '\0') {
      sub_argument = current + 1;
    } else if (next_index < static_cast<std::uint32_t>(count) &&
               !starts_option(words[next_index])) {
      sub_argument = words[next_index++];
    }
  } else if (found != nullptr && current[1] != '\0') {
    group_rest = current + 1;
  }
  return true;
}

std::int16_t parse_command_line(RunSettings& settings, int count, const char* const* words,
                                std::FILE* errors, std::FILE* out) {
  try {
    OptionScanner scanner{count, words};
    int letter = 0;
    const char* sub_argument = nullptr;
    while (scanner.next_option(letter, sub_argument)) {
      if (!apply_option(settings, letter, sub_argument, errors)) return kParseRefused;
    }
    const std::uint32_t index = scanner.next_index;

    const auto total = static_cast<std::uint32_t>(count < 0 ? 0 : count);
    const std::uint32_t name_count = index < total ? total - index : 0;
    if (!check_one_command(settings, name_count, out)) return kParseRefused;

    if (name_count >= 1) settings.input_name = lower_cased(words[index]);
    if (name_count >= 2) settings.output_name = lower_cased(words[index + 1]);
    if (!check_file_names(settings, name_count, out)) return kParseRefused;
    return kParseOk;
  } catch (const std::bad_alloc&) {
    return kParseNoMemory;
  }
}

void add_default_extension(std::string& name, const char* extension) {
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && name.find_first_of("\\/", dot) == std::string::npos) return;
  if (extension[0] != '.') name += '.';
  name += extension;
}

}  // namespace kvr

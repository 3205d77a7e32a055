#include "bridge/board_from_taps.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

#include "base/ascii.h"
#include "bridge/openocd_script.h"

namespace kvr {
namespace {

constexpr std::size_t kNameLength = 8;

bool is_device_name(const std::string& name) {
  return !name.empty() && name.size() <= kNameLength && is_letter(name[0]) &&
         std::all_of(name.begin(), name.end(), is_name_char);
}

// CHIP_TAP kept to its name characters from its first letter on, cut to 8.
std::string reduced(const ImportedTap& tap) {
  const std::string joined = tap.chip.empty() ? tap.tap : tap.chip + "_" + tap.tap;
  std::string name;
  for (const char c : joined) {
    if (is_name_char(c) && (!name.empty() || is_letter(c))) name += to_lower(c);
  }
  if (name.empty()) name = "tap";
  return name.substr(0, kNameLength);
}

// The names given so far, and for each reduced name the number its next twin tries first: every
// smaller one was taken when it was tried and still is, so the search never starts over.
struct Names {
  std::unordered_set<std::string> taken;
  std::unordered_map<std::string, unsigned> next_number;
};

std::string unique_name(const ImportedTap& tap, Names& names) {
  std::string name = lower_cased(tap.tap);
  if (!is_device_name(name) || names.taken.count(name) != 0) name = reduced(tap);
  const std::string base = name;
  for (unsigned& n = names.next_number.try_emplace(base, 2).first->second;
       names.taken.count(name) != 0; ++n) {
    const std::string suffix = "_" + std::to_string(n);
    name = base.substr(0, kNameLength - std::min(suffix.size(), kNameLength - 1)) + suffix;
  }
  names.taken.insert(name);
  return name;
}

}  // namespace

std::vector<std::string> device_names(const std::vector<ImportedTap>& taps) {
  Names given;
  std::vector<std::string> names;
  for (const ImportedTap& tap : taps) {
    if (tap.enabled) names.push_back(unique_name(tap, given));
  }
  return names;
}

std::string board_config_of(const std::vector<ImportedTap>& taps,
                            const std::vector<std::string>& sources) {
  std::string text = ";CFG-2.0\n; Made by kvrview --import from";
  for (const std::string& source : sources) text += " `" + printable(source) + "'";
  text +=
      ".\n; The scan path, from TDI to TDO: each TAP a bypass device of its IR length, its name"
      "\n; in the chain of the imported files in a comment.\n";
  const std::vector<std::string> names = device_names(taps);
  std::size_t next = 0;
  for (const ImportedTap& tap : taps) {
    if (!tap.enabled) {
      text += "; " + printable(full_name(tap)) + " is left out: it is disabled, out of the chain\n";
      continue;
    }
    char line[64];
    std::snprintf(line, sizeof line, "%-10s BYPASS%03X  ; ", ("\"" + names[next++] + "\"").c_str(),
                  static_cast<unsigned>(tap.ir_length));
    text += line + printable(full_name(tap)) + "\n";
  }
  return text;
}

}  // namespace kvr

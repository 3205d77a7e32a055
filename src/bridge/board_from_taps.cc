#include "bridge/board_from_taps.h"

#include <cstdint>
#include <cstdio>
#include <new>
#include <unordered_map>
#include <unordered_set>

#include "base/ascii.h"
#include "bridge/generated_text.h"

namespace kvr {
namespace {

// CHIP_TAP kept to its name characters from its first letter on, cut to 8.
std::string reduced(const ImportedTap& tap) {
  const std::string joined = tap.chip.empty() ? tap.tap : tap.chip + "_" + tap.tap;
  std::string name;
  for (const char c : joined) {
    if (is_name_char(c) && (!name.empty() || is_letter(c))) name += to_lower(c);
  }
  if (name.empty()) name = "tap";
  return name.substr(0, kDeviceNameLength);
}

// A number of up to six digits after its `_' leaves the name at least its first letter.
constexpr std::size_t kMostDigits = 6;
constexpr std::uint32_t kPowersOfTen[kMostDigits + 1] = {1, 10, 100, 1000, 10000, 100000, 1000000};
// The spare names: a letter and seven letters, digits or '_'.
constexpr std::uint64_t kSpareChars = 37;
constexpr std::uint64_t kSpareNames = 26 * kSpareChars * kSpareChars * kSpareChars * kSpareChars *
                                      kSpareChars * kSpareChars * kSpareChars;

// The names given so far, and where each search goes on. The numbered names STEM_n of one stem
// and one count of digits are the same whichever name was cut to that stem; for each such pair,
// `next' holds the n its next search tries first. Every smaller n of that many digits gave a name
// that was taken when it was tried, and still is, since no name is given back; so no search
// starts over, and each name given is passed over by at most one search of each count of digits.
struct Names {
  std::unordered_set<std::string> taken;
  std::unordered_map<std::string, std::uint32_t> next;  // by the count of digits, then the stem
  std::uint64_t next_spare = 0;
};

bool take(Names& names, const std::string& name) {
  return names.taken.insert(name).second;
}

// Spare name `k', in the order a0000000, a0000001, ..., a000000z, a0000010, ...
std::string spare_name(std::uint64_t k) {
  static constexpr char kChars[] = "0123456789_abcdefghijklmnopqrstuvwxyz";
  std::string name(kDeviceNameLength, 'a');
  for (std::size_t i = kDeviceNameLength; i-- > 1; k /= kSpareChars)
    name[i] = kChars[k % kSpareChars];
  name[0] = static_cast<char>('a' + k);
  return name;
}

// The first free name of `base' followed by _2, _3, ..., each cut short enough to fit; past
// _999999, the first free spare name.
std::string numbered_name(const std::string& base, Names& names) {
  for (std::size_t digits = 1; digits <= kMostDigits; ++digits) {
    const std::string stem = base.substr(0, kDeviceNameLength - 1 - digits);
    std::uint32_t& n =
        names.next
            .try_emplace(std::to_string(digits) + stem, digits == 1 ? 2 : kPowersOfTen[digits - 1])
            .first->second;
    for (; n < kPowersOfTen[digits]; ++n) {
      std::string name = stem + "_" + std::to_string(n);
      if (take(names, name)) {
        ++n;
        return name;
      }
    }
  }
  // More spare names than any memory can hold the TAPs for.
  for (; names.next_spare < kSpareNames; ++names.next_spare) {
    std::string name = spare_name(names.next_spare);
    if (take(names, name)) {
      ++names.next_spare;
      return name;
    }
  }
  throw std::bad_alloc();
}

std::string unique_name(const ImportedTap& tap, Names& names) {
  std::string name = lower_cased(tap.tap);
  if (is_device_name(name) && take(names, name)) return name;
  name = reduced(tap);
  if (take(names, name)) return name;
  return numbered_name(name, names);
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
  std::string made = "Made by kvrview --import from";
  for (const std::string& source : sources) made += " `" + source + "'";
  std::string text = ";CFG-2.0\n" + board_config_comment("; ", made + ".") +
                     "; The scan path, from TDI to TDO: each TAP a bypass device of its IR length, "
                     "its name\n; in the chain of the imported files in a comment.\n";
  const std::vector<std::string> names = device_names(taps);
  std::size_t next = 0;
  for (const ImportedTap& tap : taps) {
    if (!tap.enabled) {
      text += board_config_comment(
          "; ", full_name(tap) + " is left out: it is disabled, out of the chain");
      continue;
    }
    char lead[64];
    std::snprintf(lead, sizeof lead, "%-10s BYPASS%03X  ; ", ("\"" + names[next++] + "\"").c_str(),
                  static_cast<unsigned>(tap.ir_length));
    text += board_config_comment(lead, full_name(tap));
  }
  return text;
}

}  // namespace kvr

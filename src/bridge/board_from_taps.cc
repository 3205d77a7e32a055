#include "bridge/board_from_taps.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>
#include <unordered_map>
#include <unordered_set>

#include "base/ascii.h"
#include "bridge/generated_text.h"

namespace kvr {
namespace {

// What a shortened name keeps of the TAP's own name, at least.
constexpr std::size_t kKeptOfTap = 4;

// The shortened name of a TAP whose own name cannot be its device name: the chip's first letters
// (its first run of letters), as many as leave the TAP's part 4 characters or all of it when it is
// shorter, `_' and the TAP's letters, digits and '_', cut to 8; without a chip letter, the TAP's
// part from its first letter on, else `tap'.
std::string shortened(const ImportedTap& tap) {
  std::string part;
  for (const char c : tap.tap) {
    if (is_name_char(c)) part += to_lower(c);
  }
  std::string stem;
  const auto first = std::find_if(tap.chip.begin(), tap.chip.end(), is_letter);
  for (auto c = first; c != tap.chip.end() && is_letter(*c); ++c) stem += to_lower(*c);
  std::string name;
  if (!stem.empty()) {
    const std::size_t kept = std::min<std::size_t>(part.size(), kKeptOfTap);
    name = stem.substr(0, kDeviceNameLength - 1 - kept) + (part.empty() ? "" : "_" + part);
  } else {
    const auto letter = std::find_if(part.begin(), part.end(), is_letter);
    name = letter == part.end() ? "tap" : std::string(letter, part.end());
  }
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

// What each TAP becomes on the board, from TDI to TDO.
enum class Role { kLeftOut, kMain, kLinker, kMember };

// A linker's sub-path devices are the run of TAPs on a sub-path right after it; a TAP marked for a
// sub-path anywhere else stands on the main path.
std::vector<Role> roles_of(const std::vector<ImportedTap>& taps) {
  std::vector<Role> roles(taps.size(), Role::kLeftOut);
  bool in_run = false;
  for (std::size_t i = 0; i < taps.size(); ++i) {
    const ImportedTap& tap = taps[i];
    in_run = in_run && tap.sub_path >= 0 && tap.sub_path <= 3 && !tap.is_linker;
    if (in_run) {
      roles[i] = Role::kMember;
    } else if (tap.enabled) {
      roles[i] = tap.is_linker ? Role::kLinker : Role::kMain;
      in_run = tap.is_linker;
    }
  }
  return roles;
}

// The device name of each TAP that is a device, "" for one left out. A TAP's own name is taken
// first, for every TAP whose name no other device's is, then the others are shortened, in order.
std::vector<std::string> names_of(const std::vector<ImportedTap>& taps,
                                  const std::vector<Role>& roles) {
  std::vector<std::string> names(taps.size());
  std::unordered_map<std::string, std::size_t> uses;
  for (std::size_t i = 0; i < taps.size(); ++i) {
    if (roles[i] == Role::kLeftOut) continue;
    names[i] = lower_cased(taps[i].tap);
    if (is_device_name(names[i])) ++uses[names[i]];
  }
  Names given;
  std::vector<bool> own(taps.size(), false);
  for (std::size_t i = 0; i < taps.size(); ++i) {
    if (roles[i] == Role::kLeftOut || !is_device_name(names[i]) || uses[names[i]] != 1) continue;
    own[i] = true;
    take(given, names[i]);
  }
  for (std::size_t i = 0; i < taps.size(); ++i) {
    if (roles[i] == Role::kLeftOut || own[i]) continue;
    names[i] = shortened(taps[i]);
    if (!take(given, names[i])) names[i] = numbered_name(names[i], given);
  }
  return names;
}

// The TAP's full name and the options its file gave it, as OpenOCD's options.
std::string described(const ImportedTap& tap) {
  std::string text = full_name(tap);
  char number[32];
  for (const std::uint32_t id : tap.expected_ids) {
    std::snprintf(number, sizeof number, " -expected-id 0x%08x", static_cast<unsigned>(id));
    text += number;
  }
  if (tap.ir_capture) {
    std::snprintf(number, sizeof number, " -ircapture 0x%02x",
                  static_cast<unsigned>(*tap.ir_capture));
    text += number;
  }
  if (tap.ir_mask) {
    std::snprintf(number, sizeof number, " -irmask 0x%02x", static_cast<unsigned>(*tap.ir_mask));
    text += number;
  }
  return text;
}

// `text` and the TAP's note, when it has one.
std::string noted(const ImportedTap& tap, std::string text) {
  return tap.note.empty() ? text : text + " (" + tap.note + ")";
}

// How wide a device line is before its comment: the quoted name in 10 columns, a blank, the class
// ID in 9 and two blanks.
constexpr std::size_t kLeadWidth = 22;

// A device's line: "NAME" and its class ID, then the comment, each after `indent'.
std::string device_line(const std::string& indent, const std::string& name,
                        const std::string& class_id, const std::string& comment) {
  char lead[64];
  std::snprintf(lead, sizeof lead, "%s%-10s %-9s  ; ", indent.c_str(), ("\"" + name + "\"").c_str(),
                class_id.c_str());
  return board_config_comment(lead, comment);
}

std::string bypass_id(const ImportedTap& tap) {
  char id[16];
  std::snprintf(id, sizeof id, "BYPASS%03X", static_cast<unsigned>(tap.ir_length));
  return id;
}

// The four sub-paths of the linker `names[at]', of the members that follow it up to `end'.
std::string sub_paths(const std::vector<ImportedTap>& taps, const std::vector<std::string>& names,
                      std::size_t at, std::size_t end) {
  std::string text;
  for (int k = 0; k < 4; ++k) {
    const std::string which = "its sub-path " + std::to_string(k);
    std::string devices;
    for (std::size_t i = at + 1; i < end; ++i) {
      if (taps[i].sub_path == k)
        devices +=
            device_line("  ", names[i], bypass_id(taps[i]), noted(taps[i], described(taps[i])));
    }
    if (devices.empty()) {
      text +=
          board_config_comment("{ }" + std::string(kLeadWidth - 3, ' ') + "; ", which + ": empty");
    } else {
      text += board_config_comment("{" + std::string(kLeadWidth - 1, ' ') + "; ", which + ":") +
              devices + "}\n";
    }
  }
  return text;
}

}  // namespace

std::vector<std::string> device_names(const std::vector<ImportedTap>& taps) {
  const std::vector<Role> roles = roles_of(taps);
  std::vector<std::string> names;
  for (std::string& name : names_of(taps, roles)) {
    if (!name.empty()) names.push_back(std::move(name));
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
  const std::vector<Role> roles = roles_of(taps);
  const std::vector<std::string> names = names_of(taps, roles);
  if (std::find(roles.begin(), roles.end(), Role::kLinker) != roles.end()) {
    text += board_config_comment(
        "; ",
        "A TAP whose SELECT instruction (0x02) the tap-enable handlers of other TAPs scan to "
        "choose "
        "their sub-path is a scan-path linker, its sub-paths' devices in its four groups.");
  }
  for (std::size_t i = 0; i < taps.size(); ++i) {
    const ImportedTap& tap = taps[i];
    switch (roles[i]) {
      case Role::kLeftOut:
        text += board_config_comment(
            "; ", noted(tap, described(tap) + " is left out: it is disabled, out of the chain"));
        break;
      case Role::kMain:
        text += device_line("", names[i], bypass_id(tap), noted(tap, described(tap)));
        break;
      case Role::kLinker: {
        std::size_t end = i + 1;
        while (end < taps.size() && roles[end] == Role::kMember) ++end;
        text +=
            device_line("", names[i], "SPL", noted(tap, described(tap) + ", a scan-path linker")) +
            sub_paths(taps, names, i, end);
        i = end - 1;
        break;
      }
      case Role::kMember:
        break;  // written with its linker
    }
  }
  return text;
}

}  // namespace kvr

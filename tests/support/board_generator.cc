#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <random>

#include "config/class_table.h"
#include "support/harness.h"

namespace kvr::testing {
namespace {

class Generator {
 public:
  Generator(unsigned seed, std::uint8_t version)
      : random_(seed), version_(version), table_(family_table_for(version)) {
    for (std::uint32_t row = 0; row < table_.size(); ++row) {
      const bool repeat =
          std::any_of(table_.begin(), table_.begin() + row, [&](const FamilyRow& r) {
            return std::string_view(r.type_name) == table_[row].type_name;
          });
      if (*table_[row].type_name != 0 && row != kLinkerRow && row != kPortRow && !repeat) {
        rows_.push_back(row);
      }
    }
  }

  GeneratedBoard board() {
    b_.text = version_ == 2 ? ";CFG-2.0\n" : "; a version 1 board\n";  // 8 bytes or more
    for (int i = below(12); i > 0; --i) {
      if (below(3) == 0) {  // a value runs to the end of its line or to a comment
        const std::string name =
            pick({"Pod", "x", "vorta_1"}) + std::to_string(b_.variables.size());
        const std::string value = pick({"yes", "ZERO", "0x1F", "017", "42", "'a ; b'", "''", "0X"});
        b_.variables.emplace_back(name, value);
        b_.text +=
            gap() + "[" + name + "]" + pick({" ", "\n"}) + value + pick({"\n", " ; c\n", "\r\n"});
      }
      if (below(5) == 0) {
        linker();
      } else {
        run(1 + below(3), 0, 0);
      }
    }
    b_.text += gap();
    return std::move(b_);
  }

 private:
  int below(std::size_t n) {
    return std::uniform_int_distribution<int>(0, static_cast<int>(n) - 1)(random_);
  }
  std::string pick(const std::vector<std::string>& choices) {
    return choices[static_cast<std::size_t>(below(choices.size()))];
  }
  std::string gap() { return pick({" ", "\n", "\t", " ; note\n", "\r\n  ", "\n\n;{}[]\"\n"}); }
  std::string random_case(std::string text) {
    for (char& c : text) c = static_cast<char>(below(2) ? std::toupper(c) : std::tolower(c));
    return text;
  }

  // Appends a device of the family in `row` and returns its dev_id.
  std::uint32_t add(std::uint32_t row, const std::string& digits, std::uint32_t ir,
                    std::uint32_t high_level, std::uint32_t parent, std::uint32_t subpath) {
    const FamilyRow& family = table_[row];
    const auto [block, fresh] = blocks_.try_emplace(row, b_.classes.size());
    for (std::uint32_t rev = 0; fresh && rev < family.class_count; ++rev) {
      b_.classes.push_back({rev, family.size, 0, 0});
    }
    const DeviceRecord d{.dev_id = static_cast<std::uint32_t>(b_.devices.size() + 1),
                         .cls_id = static_cast<std::uint32_t>(block->second),
                         .parent = parent,
                         .subpath = subpath,
                         .connect = row == kLinkerRow,
                         .mainIR = ir};
    const std::string name = pick({"d", "Dev_", "x"}) + std::to_string(d.dev_id);
    DeviceName stored{};
    std::transform(name.begin(), name.end(), stored.begin(), ::tolower);
    b_.devices.push_back(d);
    b_.device_classes.push_back(high_level);
    b_.device_names.push_back(stored);
    b_.text += gap() + "\"" + random_case(name) + "\"" + pick({" ", "\n"}) +
               random_case(std::string(family.type_name, family.literal_length) + digits);
    return d.dev_id;
  }

  // `count` devices of one class ID.
  void run(int count, std::uint32_t parent, std::uint32_t subpath) {
    const std::uint32_t row = rows_[static_cast<std::size_t>(below(rows_.size()))];
    const FamilyRow& family = table_[row];
    const int width = static_cast<int>(family.full_length - family.literal_length);
    const bool sized = row == kBypassRow || row == kGenericRow;  // the digits give the IR length
    const int used = sized && parent != 0 ? 1 + below(static_cast<std::size_t>(width)) : width;
    const bool plain = sized || below(2) == 0;
    const int limit = sized ? std::min(0x400, (1 << 4 * used) - 1) : 1 << 4 * used;
    const auto value = static_cast<std::uint32_t>(below(static_cast<std::size_t>(limit)) + sized);
    char digits[8];
    std::snprintf(digits, sizeof digits, "%0*X", used, value);
    digits[used] = '\0';  // a family without digits: no "0"
    for (char* c = digits; !plain && *c != 0; ++c) *c = "07aFxX-+G"[below(9)];
    for (int i = 0; i < count; ++i) {
      add(row, digits, sized ? value : family.ir_length,
          plain ? family.high_level_base + value : kUnpredicted, parent, subpath);
    }
  }

  void linker() {
    const std::uint32_t id = add(kLinkerRow, "", 8, table_[kLinkerRow].high_level_base, 0, 0);
    for (std::uint32_t k = 0; k < 4; ++k) {
      b_.text += gap() + "{";
      for (int i = below(3); i > 0; --i) {
        if (b_.devices[id - 1].sub_id[k] == 0) {
          b_.devices[id - 1].sub_id[k] = static_cast<std::uint32_t>(b_.devices.size() + 1);
        }
        run(1 + below(2), id, k);
      }
      b_.text += gap() + "}";
    }
  }

  std::mt19937 random_;
  std::uint8_t version_;
  const FamilyTable& table_;
  std::vector<std::uint32_t> rows_;              // the families a run may use
  std::map<std::uint32_t, std::size_t> blocks_;  // family row -> its first class record
  GeneratedBoard b_;
};

}  // namespace

GeneratedBoard generate_board(unsigned seed, std::uint8_t version) {
  return Generator(seed, version).board();
}

}  // namespace kvr::testing

// What the kvrview tests share: whole runs of kvrview in this process, and random boards of either
// version that use every family a class ID can name, odd class-ID digits, linkers and runs of
// like devices.
#ifndef KVR_TESTS_VIEW_VIEW_SUPPORT_H_
#define KVR_TESTS_VIEW_VIEW_SUPPORT_H_

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "config/class_table.h"
#include "support/harness.h"
#include "view/view_program.h"

namespace kvr::testing {

inline RunResult run_kvrview(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv = {"kvrview"};
  for (const std::string& word : arguments) argv.push_back(word.c_str());
  UniqueFile out = stream_with(""), err = stream_with("");
  RunResult result;
  result.exit_status = run_view(static_cast<int>(argv.size()), argv.data(), out.get(), err.get());
  result.out = contents_of(out.get());
  result.err = contents_of(err.get());
  return result;
}

class BoardGenerator {
 public:
  // Every family but the linker, the addressable scan port and the placeholders, each once.
  BoardGenerator(unsigned seed, std::uint8_t version) : random_(seed), version_(version) {
    const FamilyTable& table = family_table_for(version);
    for (const FamilyRow& row : table) {
      const bool repeat = std::any_of(table.data(), &row, [&](const FamilyRow& earlier) {
        return std::string_view(earlier.type_name) == row.type_name;
      });
      if (*row.type_name != 0 && &row != &table[kLinkerRow] && &row != &table[kPortRow] &&
          !repeat) {
        rows_.push_back(&row);
      }
    }
  }

  std::string board() {
    std::string text = version_ == 2 ? ";CFG-2.0\n" : "; a version 1 board\n";
    for (int i = below(5); i > 0; --i) {
      text += "[v" + std::to_string(i) + "] " +
              pick({"yes", "Zero", "0x1f", "017", "42", "'a ; B'", "''", "0X"}) + "\n";
    }
    for (int i = below(10); i > 0; --i) {
      if (below(6) == 0) {
        text += device("SPL");
        for (int k = 0; k < 4; ++k) text += "{" + run(below(3), true) + "}\n";
      } else {
        text += run(1 + below(3), false);
      }
    }
    return text;
  }

 private:
  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  std::string pick(const std::vector<std::string>& choices) {
    return choices[static_cast<std::size_t>(below(static_cast<int>(choices.size())))];
  }
  std::string device(const std::string& class_id) {
    return "\"" + pick({"d", "Dev_", "x"}) + std::to_string(++devices_) + "\" " + class_id + "\n";
  }
  // `count` devices of one class ID, which an ordinary family fills with any characters and a
  // bypass or generic family with an IR length (fewer digits inside a linker group).
  std::string run(int count, bool in_group) {
    const FamilyRow& row = *rows_[static_cast<std::size_t>(below(static_cast<int>(rows_.size())))];
    const int width = static_cast<int>(row.full_length - row.literal_length);
    std::string digits;
    const FamilyTable& table = family_table_for(version_);
    if (&row == &table[kBypassRow] || (version_ == 2 && &row == &table[kGenericRow])) {
      const int used = in_group ? 1 + below(width) : width;
      char text[8];
      std::snprintf(text, sizeof text, "%0*X", used,
                    1 + below(std::min(0x400, (1 << 4 * used) - 1)));
      digits = text;
    } else {
      for (int i = 0; i < width; ++i) digits += pick({"0", "7", "a", "F", "x", "X", "-", "+", "G"});
    }
    std::string text;
    for (int i = 0; i < count; ++i)
      text += device(std::string(row.type_name, row.literal_length) + digits);
    return text;
  }

  std::mt19937 random_;
  std::uint8_t version_;
  std::vector<const FamilyRow*> rows_;
  int devices_ = 0;
};

}  // namespace kvr::testing

#endif  // KVR_TESTS_VIEW_VIEW_SUPPORT_H_

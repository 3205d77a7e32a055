// Generated valid files, written with random layout, must parse to the model they were generated
// from. The expected model is built here from the generated structure.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "config/parse_text.h"
#include "database/board_samples.h"

namespace kvr {
namespace {

using testing::add_class;
using testing::add_device;
using testing::lay_out_paths;
using testing::parse_text;
using testing::Parsed;

// A family a generated device may use: the literal part, how many digits follow, and what the
// model receives. `ir` 0 means the IR length is the value of the digits (bypass, generic).
struct Family {
  const char* literal;
  int digits;
  std::uint32_t row, classes, size, ir, base;
  bool short_ok;  // may carry fewer digits inside a linker group
};

const std::vector<Family> kFamiliesV2 = {
    {"GENERIC", 3, 0, 16, 0x1400, 0, 0x1000, true},
    {"BYPASS", 3, 1, 1, 0, 0, 0x2000, true},
    {"DBM", 0, 3, 1, 0, 8, 0x3100, false},
    {"QV760M56", 3, 5, 16, 0x1400, 8, 0x5000, false},
    {"QV740K2", 1, 8, 16, 0x1400, 8, 0x7100, false},
    {"QV740K6", 1, 10, 16, 0x8300, 8, 0x7300, false},
    {"QVARM9", 2, 12, 16, 0x1400, 4, 0x8100, false},
    {"QV740K73", 2, 15, 32, 0x1400, 38, 0x9200, false},
    {"QV740K82", 1, 17, 32, 0x1400, 8, 0xA000, false},
    {"QV740K82", 2, 18, 32, 0x1400, 8, 0xA100, false},
    {"QV740K471", 1, 21, 16, 0x1400, 46, 0xB100, false},
    {"QV740K42", 2, 24, 16, 0x1400, 38, 0xB400, false},
};
const std::vector<Family> kFamiliesV1 = {
    {"BYPASS", 2, 1, 1, 0, 0, 0x000, true},
    {"DBM", 0, 3, 16, 0x1400, 8, 0x800, false},
    {"QV740WK9", 1, 7, 16, 0x1400, 8, 0x900, false},
    {"QV780T1", 1, 11, 16, 0x1400, 4, 0x800, false},
    {"QVARM92", 1, 12, 16, 0x1400, 4, 0x800, false},
    {"QV740K7", 2, 13, 16, 0x1400, 8, 0x600, false},
    {"QV740K8", 2, 17, 16, 0x1400, 8, 0x700, false},
    {"QV740K41", 1, 21, 16, 0x1400, 46, 0xF00, false},
};

struct Device {
  std::string name;      // lower case
  std::string class_id;  // as written, in random letter case
  const Family* family;
  std::uint32_t value;  // the value of the digits
  std::uint32_t ir;
};

struct Item {  // a main-path entry: an ordinary device, or a linker with its groups
  Device device;
  bool linker = false;
  std::vector<Device> groups[4];
};

class Generator {
 public:
  Generator(std::uint32_t seed, std::uint8_t version)
      : random_(seed), version_(version), families_(version == 1 ? kFamiliesV1 : kFamiliesV2) {}

  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  std::string random_case(std::string text) {
    for (char& c : text) {
      if (below(2) == 0) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
  }

  // Blanks, comments and line ends; `needs_break` when the next token must start a new line.
  std::string gap(bool needs_break, bool may_be_empty) {
    static const char* pieces[] = {" ", "\t", "\n", "\r\n", " ; a comment [x] \"y\" '\n", "\n\n"};
    std::string out;
    int count = below(3) + (may_be_empty ? 0 : 1);
    for (int i = 0; i < count; ++i) out += pieces[below(6)];
    if (needs_break && out.find('\n') == std::string::npos) out += below(2) ? "\n" : ";c\n";
    return out;
  }

  // Bypass and generic digits are the IR length, 1 to 0x400; identifier digits may be written as
  // letters x, read as 0.
  Device device(bool in_group) {
    const Family& f = families_[below(static_cast<int>(families_.size()))];
    const int digits = in_group && f.short_ok ? 1 + below(f.digits) : f.digits;
    Device d{"d" + std::to_string(next_name_++), f.literal, &f, 0, f.ir};
    const bool x_digits = f.ir != 0 && below(4) == 0;
    if (f.ir == 0) {
      const int limits[] = {0, 0xF, 0xFF, 0x400};
      d.value = d.ir = 1 + static_cast<std::uint32_t>(below(limits[digits]));
    } else if (!x_digits) {
      d.value = static_cast<std::uint32_t>(below(1 << (4 * digits)));
    }
    for (int i = digits - 1; i >= 0; --i) {
      d.class_id += x_digits ? 'x' : "0123456789abcdef"[(d.value >> (4 * i)) & 0xF];
    }
    d.class_id = random_case(d.class_id);
    return d;
  }

  std::string value() {
    static const char* words[] = {"positive", "assert", "truth", "true", "high", "yes", "one",
                                  "negative", "negate", "false", "low",  "not",  "no",  "zero"};
    switch (below(5)) {
      case 0:
        return random_case(words[below(14)]);
      case 1:
        return (below(2) ? "0x" : "0X") + std::string("1aF").substr(0, below(4));
      case 2:
        return "0" + std::string("01234567").substr(0, below(9));
      case 3:
        return std::to_string(1 + below(99999999));
      default:
        return "'" + std::string(static_cast<std::size_t>(below(40)), ';') + " \\x[]\"'";
    }
  }

  std::vector<Item> items;
  std::vector<ConfigVariable> variables;
  std::string text;

  void generate(int statements) {
    if (version_ != 1) text = random_case(";cfg-2.0") + (below(2) ? " any text" : "") + "\n";
    for (int s = 0; s < statements; ++s) {
      int kind = below(6);
      if (kind == 0) {
        ConfigVariable v{random_case("v_" + std::to_string(variables.size())), value()};
        text += "[" + v.name + "]" + gap(false, true) + v.value + gap(true, false);
        variables.push_back(v);
      } else if (kind == 1) {
        Item item;
        item.linker = true;
        item.device.name = "l" + std::to_string(next_name_++);
        text +=
            quoted(item.device.name) + gap(false, true) + random_case("spl") + gap(false, false);
        for (auto& group : item.groups) {
          text += "{" + gap(false, true);
          for (int n = below(4); n > 0; --n) {
            group.push_back(device(true));
            write_device(group.back());
          }
          text += "}" + gap(false, true);
        }
        items.push_back(item);
      } else {
        Item item;
        item.device = device(false);
        write_device(item.device);
        items.push_back(item);
      }
    }
  }

 private:
  std::string quoted(const std::string& name) { return "\"" + random_case(name) + "\""; }
  void write_device(const Device& d) {
    text += quoted(d.name) + gap(false, true) + d.class_id + gap(false, false);
  }

  std::mt19937 random_;
  std::uint8_t version_;
  const std::vector<Family>& families_;
  int next_name_ = 0;
};

// What a parse of the generated file must give: class blocks in order of first use, one class
// record shared by all linkers, and the path fields laid out path by path.
BoardModel expected_model(const std::vector<Item>& items, std::uint8_t version) {
  BoardModel m;
  std::uint32_t linker_class = 0;
  bool linker_class_made = false;
  auto add = [&m](const Device& d, std::uint32_t parent, std::uint32_t subpath) {
    const Family& f = *d.family;
    if (m.family_use_count[f.row]++ == 0) {
      m.family_class_base[f.row] = m.class_count;
      for (std::uint32_t rev = 0; rev < f.classes; ++rev) add_class(m, {rev, f.size, 0, 0});
    }
    add_device(m, {d.name, m.family_class_base[f.row], d.ir, parent, subpath}, f.base + d.value);
  };
  for (const Item& item : items) {
    if (!item.linker) {
      add(item.device, 0, 0);
      continue;
    }
    if (!linker_class_made) {
      linker_class = m.class_count;
      linker_class_made = true;
      add_class(m, {});
    }
    const std::uint32_t linker = m.device_count + 1;
    add_device(m, {item.device.name, linker_class, 8, 0, 0, 1}, version == 1 ? 0x100 : 0x3000);
    for (std::uint32_t k = 0; k < 4; ++k) {
      for (const Device& d : item.groups[k]) add(d, linker, k);
    }
  }
  lay_out_paths(m);
  return m;
}

TEST(ParseBoardConfigProperty, GeneratedFilesParseToTheirModel) {
  for (std::uint32_t seed = 1; seed <= 300; ++seed) {
    const std::uint8_t version = seed % 3 == 0 ? 1 : 2;
    Generator generator(seed, version);
    generator.generate(1 + static_cast<int>(seed % 40));
    SCOPED_TRACE("seed " + std::to_string(seed) + "\n" + generator.text);
    const BoardModel want = expected_model(generator.items, version);
    Parsed parsed = parse_text(generator.text, version);
    ASSERT_EQ(parsed.status, kStatusOk);
    const BoardModel& got = parsed.model;
    EXPECT_EQ(got.devices, want.devices);
    EXPECT_EQ(got.classes, want.classes);
    EXPECT_EQ(got.device_classes, want.device_classes);
    EXPECT_EQ(got.device_names, want.device_names);
    EXPECT_EQ(got.family_use_count, want.family_use_count);
    EXPECT_EQ(got.device_count, want.device_count);
    EXPECT_EQ(got.class_count, want.class_count);
    EXPECT_EQ(got.variables, generator.variables);
    EXPECT_EQ(got.variable_count, generator.variables.size());
    const std::string& text = generator.text;
    auto lines = static_cast<std::uint32_t>(std::count(text.begin(), text.end(), '\n') +
                                            (text.empty() || text.back() == '\n' ? 0 : 1));
    EXPECT_EQ(parsed.line, lines);
  }
}

}  // namespace
}  // namespace kvr

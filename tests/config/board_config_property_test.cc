// Generated valid files, written with random layout, must parse to the model they were generated
// from. The expected model is computed here from the generated structure, path by path.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "config/parse_text.h"

namespace kvr {
namespace {

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

  Device device(bool in_group) {
    Device d;
    d.name = "d" + std::to_string(next_name_++);
    const Family& f = families_[below(static_cast<int>(families_.size()))];
    d.family = &f;
    int digits = f.digits;
    if (in_group && f.short_ok) digits = 1 + below(f.digits);
    std::string text = f.literal;
    if (f.ir == 0) {  // bypass or generic: the digits are the IR length, 1 to 0x400
      std::uint32_t limit = digits == 1 ? 0xF : digits == 2 ? 0xFF : 0x400;
      d.value = 1 + static_cast<std::uint32_t>(below(static_cast<int>(limit)));
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "%0*x", digits, d.value);
      text += buffer;
      d.ir = d.value;
    } else if (below(4) == 0) {  // identifier positions written as letters x read as 0
      text += std::string(static_cast<std::size_t>(digits), 'x');
      d.value = 0;
      d.ir = f.ir;
    } else {
      d.value = 0;
      for (int i = 0; i < digits; ++i) {
        int digit = below(16);
        d.value = d.value * 16 + static_cast<std::uint32_t>(digit);
        text += "0123456789abcdef"[digit];
      }
      d.ir = f.ir;
    }
    d.class_id = random_case(text);
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

// What a parse of the generated file must give, worked out path by path.
struct Expected {
  BoardModel model;
  std::vector<std::string> names;
  bool linker_class_made = false;
  std::uint32_t linker_class = 0;

  std::uint32_t add(const Device& d, std::uint32_t prior, std::uint32_t parent,
                    std::uint32_t subpath) {
    BoardModel& m = model;
    const Family& f = *d.family;
    if (m.family_use_count[f.row]++ == 0) {
      m.family_class_base[f.row] = m.class_count;
      for (std::uint32_t rev = 0; rev < f.classes; ++rev) m.classes.push_back({rev, f.size, 0, 0});
      m.class_count += f.classes;
    }
    DeviceRecord r;
    r.dev_id = ++m.device_count;
    r.cls_id = m.family_class_base[f.row];
    r.prior = prior, r.parent = parent, r.subpath = subpath, r.mainIR = d.ir;
    m.devices.push_back(r);
    m.device_classes.push_back(f.base + d.value);
    names.push_back(d.name);
    return r.dev_id;
  }

  // Fills pre/pos fields of one path; `extra` is the linker's bypass bit inside a group.
  void close_path(const std::vector<std::uint32_t>& path, std::uint32_t extra) {
    std::uint32_t total = 0;
    for (std::uint32_t id : path) total += model.devices[id - 1].mainIR;
    std::uint32_t before = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
      DeviceRecord& d = model.devices[path[i] - 1];
      d.preIR = before;
      d.preDR = static_cast<std::uint32_t>(i);
      d.posIR = total - before - d.mainIR + extra;
      d.posDR = static_cast<std::uint32_t>(path.size() - i - 1) + extra;
      before += d.mainIR;
    }
  }

  void build(const std::vector<Item>& items, std::uint8_t version) {
    std::vector<std::uint32_t> main_path;
    for (const Item& item : items) {
      std::uint32_t prior = main_path.empty() ? 0 : main_path.back();
      if (!item.linker) {
        main_path.push_back(add(item.device, prior, 0, 0));
        continue;
      }
      if (!linker_class_made) {
        linker_class = model.class_count++;
        model.classes.push_back({});
        linker_class_made = true;
      }
      DeviceRecord r;
      r.dev_id = ++model.device_count;
      r.cls_id = linker_class, r.prior = prior, r.connect = 1, r.mainIR = 8;
      model.devices.push_back(r);
      model.device_classes.push_back(version == 1 ? 0x100 : 0x3000);
      names.push_back(item.device.name);
      for (std::uint32_t k = 0; k < 4; ++k) {
        std::vector<std::uint32_t> group;
        for (const Device& d : item.groups[k]) {
          group.push_back(add(d, group.empty() ? 0 : group.back(), r.dev_id, k));
        }
        model.devices[r.dev_id - 1].sub_id[k] = group.empty() ? 0 : group.front();
        close_path(group, 1);
      }
      main_path.push_back(r.dev_id);
    }
    close_path(main_path, 0);
  }
};

TEST(ParseBoardConfigProperty, GeneratedFilesParseToTheirModel) {
  for (std::uint32_t seed = 1; seed <= 300; ++seed) {
    const std::uint8_t version = seed % 3 == 0 ? 1 : 2;
    Generator generator(seed, version);
    generator.generate(1 + static_cast<int>(seed % 40));
    Expected expected;
    expected.build(generator.items, version);

    SCOPED_TRACE("seed " + std::to_string(seed) + "\n" + generator.text);
    Parsed parsed = parse_text(generator.text, version);
    ASSERT_EQ(parsed.status, kStatusOk);
    const BoardModel& got = parsed.model;
    const BoardModel& want = expected.model;
    EXPECT_EQ(got.devices, want.devices);
    EXPECT_EQ(got.classes, want.classes);
    EXPECT_EQ(got.device_classes, want.device_classes);
    EXPECT_EQ(got.family_use_count, want.family_use_count);
    EXPECT_EQ(got.device_count, want.device_count);
    EXPECT_EQ(got.class_count, want.class_count);
    EXPECT_EQ(got.variables, generator.variables);
    EXPECT_EQ(got.variable_count, generator.variables.size());
    ASSERT_EQ(got.device_names.size(), expected.names.size());
    for (std::size_t i = 0; i < expected.names.size(); ++i) {
      EXPECT_EQ(std::string(got.device_names[i].data()), expected.names[i]);
    }
    const std::string& text = generator.text;
    auto lines = static_cast<std::uint32_t>(std::count(text.begin(), text.end(), '\n') +
                                            (text.empty() || text.back() == '\n' ? 0 : 1));
    EXPECT_EQ(parsed.line, lines);
  }
}

}  // namespace
}  // namespace kvr

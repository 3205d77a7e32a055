// Random boards of both versions, written in random layouts: the parser must give the model the
// generator expects, and that model must come back whole from the database through the analyser's
// dump, every device group expanded as a reader expands it.
#include <gtest/gtest.h>

#include <algorithm>
#include <iomanip>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "database/file_kind.h"
#include "support/harness.h"

namespace kvr {
namespace {

// A family a generated device may use: the literal part of its class IDs, how many digits follow,
// and what the model receives. `ir` 0 takes the IR length from the digits (bypass, generic), and
// only those may carry fewer digits inside a linker group.
struct Family {
  const char* literal;
  int digits;
  std::uint32_t ir, base, classes, size;
};
const std::vector<Family> kFamilies[2] = {
    {{"BYPASS", 2, 0, 0x000, 1, 0},
     {"DBM", 0, 8, 0x800, 16, 0x1400},
     {"QV780T1", 1, 4, 0x800, 16, 0x1400},
     {"QVARM92", 1, 4, 0x800, 16, 0x1400},
     {"QV740K7", 2, 8, 0x600, 16, 0x1400}},
    {{"GENERIC", 3, 0, 0x1000, 16, 0x1400},
     {"BYPASS", 3, 0, 0x2000, 1, 0},
     {"DBM", 0, 8, 0x3100, 1, 0},
     {"QV740K6", 1, 8, 0x7300, 16, 0x8300},
     {"QV740K73", 2, 38, 0x9200, 32, 0x1400}},
};

// What a reader must find in a parsed board.
struct Expected {
  std::uint32_t device_count = 0, class_count = 0, variable_count = 0;
  std::vector<DeviceRecord> devices;
  std::vector<std::uint32_t> device_classes;
  std::vector<DeviceName> device_names;
  std::vector<ClassRecord> classes;
  std::vector<std::pair<std::string, std::string>> variables;
};

// Writes a random board and builds, beside it, what the parser must give for it; the path fields
// are left to the path rules (testing::path_rule_broken).
class Generator {
 public:
  Generator(unsigned seed, int version) : random_(seed), version_(version) {}

  std::string board(Expected& m) {
    std::string text = version_ == 2 ? ";CFG-2.0\n" : "";
    for (int i = below(12); i > 0; --i) {
      if (below(3) == 0) {  // a value runs to the end of its line or to a comment
        const std::string name = pick({"Pod", "x", "vorta_1"}) + std::to_string(m.variable_count++);
        const std::string value = pick({"yes", "ZERO", "0x1F", "017", "42", "'a ; b'", "''"});
        m.variables.push_back({name, value});
        text += "[" + name + "]" + pick({" ", "\n"}) + value + pick({"\n", " ; c\n", "\r\n"});
      }
      text += gap() + (below(5) == 0 ? linker(m) : device(m, 0, 0)) + gap();
    }
    return text;
  }

 private:
  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  std::string pick(const std::vector<std::string>& choices) {
    return choices[static_cast<std::size_t>(below(static_cast<int>(choices.size())))];
  }
  std::string gap() { return pick({" ", "\n", "\t", " ; note\n", "\r\n  ", "\n\n;{}[]\"\n"}); }
  std::string random_case(std::string text) {
    for (char& c : text) c = static_cast<char>(below(2) ? std::toupper(c) : std::tolower(c));
    return text;
  }

  std::string device(Expected& m, std::uint32_t parent, std::uint32_t subpath) {
    const std::size_t f = static_cast<std::size_t>(below(5));
    const Family& family = kFamilies[version_ - 1][f];
    int digits = family.ir == 0 && parent != 0 ? 1 + below(family.digits) : family.digits;
    const int limit = family.ir != 0 ? 1 << (4 * digits) : std::min(1 << (4 * digits), 0x401) - 1;
    const std::uint32_t value = static_cast<std::uint32_t>(below(limit)) + (family.ir == 0);
    if (!blocks_.count(f)) {
      blocks_[f] = m.class_count;
      for (std::uint32_t rev = 0; rev < family.classes; ++rev) {
        m.classes.push_back({rev, family.size, 0, 0});
      }
      m.class_count += family.classes;
    }
    std::ostringstream id;
    id << family.literal << std::hex << std::setfill('0') << std::setw(digits) << value;
    DeviceRecord d;
    d.cls_id = blocks_[f];
    d.mainIR = family.ir == 0 ? value : family.ir;
    return add(m, d, family.base + value, parent, subpath) + pick({" ", "\n"}) +
           random_case(digits > 0 ? id.str() : family.literal);
  }

  std::string linker(Expected& m) {
    if (!blocks_.count(99)) {
      blocks_[99] = m.class_count++;
      m.classes.push_back({});
    }
    DeviceRecord d;
    d.cls_id = blocks_[99];
    d.connect = 1;
    d.mainIR = 8;
    std::string text = add(m, d, version_ == 1 ? 0x100 : 0x3000, 0, 0) + " " + random_case("spl");
    const std::uint32_t id = m.device_count;
    for (std::uint32_t k = 0; k < 4; ++k) {
      text += gap() + "{" + gap();
      for (int i = below(4); i > 0; --i) {
        if (m.devices[id - 1].sub_id[k] == 0) m.devices[id - 1].sub_id[k] = m.device_count + 1;
        text += device(m, id, k) + gap();
      }
      text += "}";
    }
    return text;
  }

  // Appends a device with a fresh name, written in random letter case.
  std::string add(Expected& m, DeviceRecord d, std::uint32_t high_level, std::uint32_t parent,
                  std::uint32_t subpath) {
    d.dev_id = ++m.device_count;
    d.parent = parent;
    d.subpath = subpath;
    const std::string name = "d" + std::to_string(d.dev_id);
    DeviceName stored{};
    name.copy(stored.data(), 8);
    m.devices.push_back(d);
    m.device_classes.push_back(high_level);
    m.device_names.push_back(stored);
    return "\"" + random_case(name) + "\"";
  }

  std::mt19937 random_;
  int version_;
  std::map<std::size_t, std::uint32_t> blocks_;  // family (99: the linker) -> its class records
};

// The values of the dump's field lines, in order.
std::vector<std::string> dump_values(const std::string& dump) {
  std::vector<std::string> values;
  std::istringstream lines(dump);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("    ")) values.push_back(line.substr(line.find(" = ") + 3));
  }
  return values;
}

std::string hex(std::uint32_t value) {
  std::ostringstream out;
  out << "0x" << std::hex << value;
  return out.str();
}

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// What the dump of `m` must show, every device group expanded into the devices it stands for.
void expect_dump_shows(const std::string& dump, const testing::Parsed& m, int version) {
  std::vector<std::string> expected;
  for (const auto& [name, value] : version == 2 ? m.variables : decltype(m.variables){}) {
    expected.insert(expected.end(), {"[" + lower(name) + "]", lower(value)});
  }
  for (const ClassRecord& c : m.model.classes) {
    for (std::uint32_t word : {c.rev, c.size, c.addr, c.who}) expected.push_back(hex(word));
  }
  const std::vector<std::string> values = dump_values(dump);
  std::size_t at = expected.size();
  ASSERT_GE(values.size(), at);
  EXPECT_EQ(std::vector<std::string>(values.begin(), values.begin() + at), expected);
  const std::uint32_t device_count = static_cast<std::uint32_t>(m.devices.size());
  for (std::uint32_t i = 0; i < device_count;) {
    DeviceRecord d;
    for (std::uint32_t* word : {&d.dev_id, &d.cls_id, &d.prior, &d.parent, &d.subpath, &d.connect,
                                &d.sub_id[0], &d.sub_id[1], &d.sub_id[2], &d.sub_id[3], &d.mainIR,
                                &d.preIR, &d.preDR, &d.posIR, &d.posDR}) {
      ASSERT_LT(at, values.size());
      *word = static_cast<std::uint32_t>(std::stoul(values[at++], nullptr, 16));
    }
    const std::uint32_t count =
        version == 2 ? static_cast<std::uint32_t>(std::stoul(values.at(at++), nullptr, 16)) : 1;
    for (std::uint32_t k = 0; k < count; ++k, ++i) {  // each follower derived from the one before
      ASSERT_LT(i, device_count);
      EXPECT_EQ(d, m.devices[i]) << "device " << i + 1;
      d = {d.dev_id + 1,       d.cls_id,    d.dev_id,           d.parent,
           d.subpath,          d.connect,   d.sub_id,           d.mainIR,
           d.preIR + d.mainIR, d.preDR + 1, d.posIR - d.mainIR, d.posDR - 1};
    }
  }
  expected.clear();
  for (std::uint32_t i = 0; i < device_count; ++i) {
    expected.insert(expected.end(), {"\"" + std::string(m.device_names[i].data()) + "\"",
                                     hex(m.device_classes[i])});
  }
  EXPECT_EQ(std::vector<std::string>(values.begin() + static_cast<long>(at), values.end()),
            expected);
}

TEST(RoundTripTest, RandomBoardsParseWriteAndAnalyseBackWhole) {
  for (int version = 1; version <= 2; ++version) {
    for (unsigned seed = 1; seed <= 150; ++seed) {
      Expected expected;
      const std::string text = Generator(seed, version).board(expected);
      SCOPED_TRACE("version " + std::to_string(version) + ":\n" + text);
      const testing::Parsed parsed = testing::parse_text(text, static_cast<std::uint8_t>(version));
      ASSERT_EQ(parsed.status, 0);
      EXPECT_EQ(testing::path_rule_broken(parsed.devices, parsed.model.class_count), "");
      for (std::uint32_t i = 0; i < expected.device_count && i < parsed.devices.size(); ++i) {
        DeviceRecord& d = expected.devices[i];  // the path fields are the rules' to judge
        const DeviceRecord& p = parsed.devices[i];
        std::tie(d.prior, d.preIR, d.preDR, d.posIR, d.posDR) =
            std::tie(p.prior, p.preIR, p.preDR, p.posIR, p.posDR);
      }
      EXPECT_EQ(parsed.devices, expected.devices);
      EXPECT_EQ(parsed.device_classes, expected.device_classes);
      EXPECT_EQ(parsed.device_names, expected.device_names);
      EXPECT_EQ(parsed.model.classes, expected.classes);
      EXPECT_EQ(parsed.variables, expected.variables);

      Status status = -1;
      const std::string bytes =
          testing::write_bytes(parsed.model, static_cast<std::uint8_t>(version), &status);
      ASSERT_EQ(status, 0);
      std::uint16_t kind = 0;
      std::uint8_t found = 0;
      ASSERT_EQ(recognise_file_kind(testing::stream_with(bytes).get(), &kind, &found), 0);
      EXPECT_EQ(kind * 10 + found, 10 + version);
      const testing::Analysed analysed = testing::analyse_bytes(bytes, found);
      ASSERT_EQ(analysed.status, 0);
      expect_dump_shows(analysed.dump, parsed, version);
    }
  }
}

}  // namespace
}  // namespace kvr

// Random boards of both versions: the parser gives the model the generator expects, and the
// analyser's dump of its database shows that model whole, every device group expanded.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "database/file_kind.h"
#include "support/harness.h"

namespace kvr {
namespace {

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
  for (std::uint8_t version = 1; version <= 2; ++version) {
    for (unsigned seed = 1; seed <= 150; ++seed) {
      testing::GeneratedBoard expected = testing::generate_board(seed, version);
      const std::string& text = expected.text;
      SCOPED_TRACE("version " + std::to_string(version) + ":\n" + text);
      const testing::Parsed parsed = testing::parse_text(text, version);
      ASSERT_EQ(parsed.status, 0);
      EXPECT_EQ(testing::path_rule_broken(parsed.devices, parsed.model.class_count), "");
      for (std::size_t i = 0; i < expected.devices.size() && i < parsed.devices.size(); ++i) {
        DeviceRecord& d = expected.devices[i];  // the path fields are the rules' to judge
        const DeviceRecord& p = parsed.devices[i];
        std::tie(d.prior, d.preIR, d.preDR, d.posIR, d.posDR) =
            std::tie(p.prior, p.preIR, p.preDR, p.posIR, p.posDR);
        if (expected.device_classes[i] == testing::kUnpredicted) {
          expected.device_classes[i] = parsed.device_classes[i];
        }
      }
      EXPECT_EQ(parsed.devices, expected.devices);
      EXPECT_EQ(parsed.device_classes, expected.device_classes);
      EXPECT_EQ(parsed.device_names, expected.device_names);
      EXPECT_EQ(parsed.model.classes, expected.classes);
      EXPECT_EQ(parsed.variables, expected.variables);

      Status status = -1;
      const std::string bytes = testing::write_bytes(parsed.model, version, &status);
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

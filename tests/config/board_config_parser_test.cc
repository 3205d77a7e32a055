#include "config/board_config_parser.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "config/parse_text.h"

namespace kvr {
namespace {

using testing::parse_text;
using testing::Parsed;

struct StatusCase {
  const char* what;
  std::string text;
  std::uint8_t version;
  Status status;
  std::uint32_t line;
};

void expect_statuses(const std::vector<StatusCase>& cases) {
  for (const StatusCase& c : cases) {
    SCOPED_TRACE(c.what);
    Parsed parsed = parse_text(c.text, c.version);
    EXPECT_EQ(parsed.status, c.status);
    EXPECT_EQ(parsed.line, c.line);
    EXPECT_TRUE(parsed.rewound);
  }
}

const std::string kLabel = ";CFG-2.0\n";
const std::string k33 = "QV740K42" + std::string(25, '0');

// Every status a small file can give, with the line that holds the offending token, or the last.
TEST(ParseBoardConfig, StatusesAndTheirLines) {
  const std::string long_line(4135, 'x');
  const std::string spl = kLabel + "\"l\" SPL";
  expect_statuses({
      {"version 2, empty file", "", 2, -354, 0},
      {"version 1, empty file", "", 1, 0, 0},
      {"label only", ";CFG-2.0", 2, 0, 1},
      {"label in lower case with more text", ";cfg-2.0 board A\n\n; note\n", 2, 0, 3},
      {"blank before the label", " ;CFG-2.0\n", 2, -248, 1},
      {"shorter than the label", ";CFG\n", 2, -248, 1},
      {"another label", ";CFG-1.0\n", 2, -248, 1},
      {"statement instead of label", "[a] 1\n", 2, -248, 1},
      {"any version but 1 wants the label", "[a] 1\n", 7, -248, 1},
      {"version 1 reads the label as a comment", kLabel, 1, 0, 1},
      {"too-long label line", long_line + "\n", 2, -356, 1},
      {"too-long line later", kLabel + "\n" + long_line, 2, -356, 3},
      {"too-long comment line", kLabel + ";" + long_line, 2, -356, 2},
      {"longest line", kLabel + ";" + std::string(4133, 'x') + "\n[a] 1", 2, 0, 3},
      {"value on the next line", kLabel + "[a]\n\n  1 ; c\n", 2, 0, 4},
      {"value directly after the name", kLabel + "[a]yes", 2, 0, 2},
      {"names differing in case", kLabel + "[Port] 1\n[pORT] 2\n", 2, -364, 3},
      {"empty name", kLabel + "\n[] 1", 2, -362, 3},
      {"33 characters", kLabel + "[" + std::string(33, 'a') + "] 1", 2, -361, 2},
      {"blank in the brackets", kLabel + "[ a] 1", 2, -363, 2},
      {"unclosed name", kLabel + "[abc\n] 1", 2, -363, 2},
      {"name at the end of the file", kLabel + "[a]\n; nothing\n", 2, -354, 3},
      {"next statement taken as the value", kLabel + "[a]\n[b] 1\n", 2, -365, 3},
      {"class ID directly after the name", kLabel + "\"a\"DBM \"b\" DBM", 2, 0, 2},
      {"name at the end of the file", kLabel + "\"a\"\n\n", 2, -354, 3},
      {"unquoted name", kLabel + "cpu DBM", 2, -370, 2},
      {"closing brace on the main path", kLabel + "\n}", 2, -370, 3},
      {"opening brace on the main path", kLabel + "{", 2, -391, 2},
      {"empty name", kLabel + "\"\" DBM", 2, -372, 2},
      {"missing closing quote", kLabel + "\"ab\nDBM", 2, -373, 2},
      {"nine characters", kLabel + "\"abcdefghi\" DBM", 2, -375, 2},
      {"duplicate name", kLabel + "\"a\" DBM\n\"A\" DBM", 2, -374, 3},
      {"33-character class ID", kLabel + "\"a\"\n" + k33, 2, -384, 3},
      {"unknown family", kLabel + "\"a\" QV741", 2, -381, 2},
      {"unknown class", kLabel + "\"a\" QV740K42", 2, -383, 2},
      {"brace after a class ID", kLabel + "\"a\" DBM}", 2, -383, 2},
      {"short bypass on the main path", kLabel + "\"a\" BYPASS8", 2, -383, 2},
      {"bypass of length 0", kLabel + "\"a\" BYPASS000", 2, -390, 2},
      {"addressable scan port", kLabel + "\"a\" asp123", 2, -386, 2},
      {"four empty groups without blanks", spl + " {}{}{}{}", 2, 0, 2},
      {"no groups at all", spl + "\n", 2, -354, 2},
      {"three groups", spl + "\n{}\n{}\n{}\n", 2, -354, 5},
      {"fifth group", spl + " {}{}{}{}\n{}", 2, -391, 3},
      {"brace directly after SPL", spl + "{}{}{}{}", 2, -383, 2},
      {"no brace where a group opens", spl + "\n\"a\" DBM", 2, -391, 3},
      {"variable inside a group", spl + " {[a] 1}", 2, -370, 2},
      {"brace inside a group", spl + " {{", 2, -391, 2},
      {"linker inside a group", spl + " {\"m\" SPL }", 2, -380, 2},
      {"port inside a group", spl + " {\"m\" ASP123 }", 2, -380, 2},
      {"short bypass inside a group", spl + " {\"m\" BYPASS8 } {} {} {}", 2, 0, 2},
      {"a brace after a short bypass ID belongs to it", spl + " {\"m\" BYPASS8} } {} {} {}", 2, 0,
       2},
      {"group ends with the file", spl + " {\"m\" DBM\n", 2, -354, 2},
      {"class ID missing in a group", spl + " {\"m\"\n", 2, -354, 2},
      {"33 characters in a group", spl + " {\"m\" " + k33 + " }", 2, -384, 2},
      {"duplicate name in a group", spl + " {\"m\" DBM } {\"L\" DBM }", 2, -374, 2},
      {"closing brace where a group opens", spl + " {\"m\" DBM } }", 2, -391, 2},
  });
}

struct VersionCase {
  std::string body;
  Status v1_status;
  std::vector<std::uint32_t> v1_classes;  // high-level class per device
  Status v2_status;
  std::vector<std::uint32_t> v2_classes;
};

TEST(ParseBoardConfig, SameFileWithEachVersionsTable) {
  const std::vector<VersionCase> cases = {
      {"\"a\" DBM \"b\" QVARM925", 0, {0x800, 0x805}, 0, {0x3100, 0x8125}},
      {"\"a\" BYPASS08", 0, {0x008}, -383, {}},
      {"\"a\" BYPASS008", -383, {}, 0, {0x2008}},
      {"\"a\" GENERIC01F", -383, {}, 0, {0x101F}},
      {"\"a\" ASP123", -383, {}, -386, {}},
      {"\"a\" QV780T1A", 0, {0x80A}, -381, {}},
      {"\"a\" QV741", -383, {}, -381, {}},
      {"\"a\" QV740K7AB", 0, {0x6AB}, -383, {}},
      {"\"l\" SPL {} {} {} {}", 0, {0x100}, 0, {0x3000}},
      {"\"l\" SPL {\"p\" ASP123 } {} {} {}", -383, {}, -380, {}},
      {"\"l\" SPL {\"p\" BYPASS8 } {\"q\" GENERIC1 } {} {}", -383, {}, 0, {0x3000, 0x2008, 0x1001}},
  };
  for (const VersionCase& c : cases) {
    SCOPED_TRACE(c.body);
    Parsed v1 = parse_text(kLabel + c.body, 1);
    Parsed v2 = parse_text(kLabel + c.body, 2);
    EXPECT_EQ(v1.status, c.v1_status);
    EXPECT_EQ(v2.status, c.v2_status);
    if (c.v1_status == 0) {
      EXPECT_EQ(v1.model.device_classes, c.v1_classes);
    }
    if (c.v2_status == 0) {
      EXPECT_EQ(v2.model.device_classes, c.v2_classes);
    }
  }
}

// The path fields of each device in dev_id order.
struct Path {
  std::uint32_t prior, parent, subpath, mainIR, preIR, preDR, posIR, posDR;
  friend bool operator==(const Path&, const Path&) = default;
};

struct PathCase {
  const char* what;
  std::string body;
  std::vector<Path> paths;
};

TEST(ParseBoardConfig, PathFields) {
  const std::vector<PathCase> cases = {
      {"one device", "\"a\" DBM", {{0, 0, 0, 8, 0, 0, 0, 0}}},
      {"IR lengths 4, 6 and 8",
       "\"a\" QVARM9AA \"b\" BYPASS006 \"c\" BYPASS008",
       {{0, 0, 0, 4, 0, 0, 14, 2}, {1, 0, 0, 6, 4, 1, 8, 1}, {2, 0, 0, 8, 10, 2, 0, 0}}},
      {"two devices of IR length 6 in a group",
       "\"l\" SPL {\"a\" BYPASS6 \"b\" BYPASS006 } {} {} {}",
       {{0, 0, 0, 8, 0, 0, 0, 0}, {0, 1, 0, 6, 0, 0, 7, 2}, {2, 1, 0, 6, 6, 1, 1, 1}}},
      {"a linker after devices of IR lengths 8 and 4",
       "\"a\" DBM \"b\" QVARM9AA \"l\" SPL {} {\"g\" DBM } {} {} \"c\" DBM",
       {{0, 0, 0, 8, 0, 0, 20, 3},
        {1, 0, 0, 4, 8, 1, 16, 2},
        {2, 0, 0, 8, 12, 2, 8, 1},
        {0, 3, 1, 8, 0, 0, 1, 1},
        {3, 0, 0, 8, 20, 3, 0, 0}}},
      {"two devices in the last sub-path",
       "\"l\" SPL {} {} {} {\"g\" DBM \"h\" BYPASS1 }",
       {{0, 0, 0, 8, 0, 0, 0, 0}, {0, 1, 3, 8, 0, 0, 2, 2}, {2, 1, 3, 1, 8, 1, 1, 1}}},
      {"two linkers in a row",
       "\"l\" SPL {}{}{}{} \"m\" SPL {}{}{\"g\" BYPASS2 }{}",
       {{0, 0, 0, 8, 0, 0, 8, 1}, {1, 0, 0, 8, 8, 1, 0, 0}, {0, 2, 2, 2, 0, 0, 1, 1}}},
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.what);
    Parsed parsed = parse_text(kLabel + c.body, 2);
    ASSERT_EQ(parsed.status, kStatusOk);
    std::vector<Path> got;
    for (const DeviceRecord& d : parsed.model.devices) {
      got.push_back({d.prior, d.parent, d.subpath, d.mainIR, d.preIR, d.preDR, d.posIR, d.posDR});
    }
    EXPECT_EQ(got, c.paths);
  }
}

const char kExample[] =
    ";CFG-2.0\n"
    ";The configure variables.\n"
    "[vorta_ecommode]      yes          ; boolean\n"
    "[vorta_tclk_program]  'automatic'  ; string\n"
    "[vorta_ecom_port]     0x240\n"
    ";The scan path, from TDI to TDO.\n"
    "\"cpu_a\" QV740K82xx\n"
    "\"link\"  SPL\n"
    "{ \"dsp_1\" QV740K42xx  \"dsp_2\" BYPASS008 }\n"
    "{ }\n"
    "{\n"
    "  \"arm\" QVARM9xx\n"
    "}\n"
    "{}\n"
    "\"cpu_b\" QVARM9xx\n";

void expect_example_model(const Parsed& parsed) {
  ASSERT_EQ(parsed.status, kStatusOk);
  EXPECT_EQ(parsed.line, 15u);
  EXPECT_EQ(parsed.devices, 6u);
  const BoardModel& m = parsed.model;
  EXPECT_EQ(m.variables, (std::vector<ConfigVariable>{{"vorta_ecommode", "yes"},
                                                      {"vorta_tclk_program", "'automatic'"},
                                                      {"vorta_ecom_port", "0x240"}}));
  EXPECT_EQ(m.variable_count, 3u);
  EXPECT_EQ(m.devices, (std::vector<DeviceRecord>{
                           {1, 0, 0, 0, 0, 0, {}, 8, 0, 0, 12, 2},
                           {2, 32, 1, 0, 0, 1, {3, 0, 5, 0}, 8, 8, 1, 4, 1},
                           {3, 33, 0, 2, 0, 0, {}, 38, 0, 0, 9, 2},
                           {4, 49, 3, 2, 0, 0, {}, 8, 38, 1, 1, 1},
                           {5, 50, 0, 2, 2, 0, {}, 4, 0, 0, 1, 1},
                           {6, 50, 2, 0, 0, 0, {}, 4, 16, 2, 0, 0},
                       }));
  EXPECT_EQ(m.device_classes,
            (std::vector<std::uint32_t>{0xA100, 0x3000, 0xB400, 0x2008, 0x8100, 0x8100}));
  const char* names[] = {"cpu_a", "link", "dsp_1", "dsp_2", "arm", "cpu_b"};
  ASSERT_EQ(m.device_names.size(), 6u);
  for (int i = 0; i < 6; ++i) EXPECT_STREQ(m.device_names[i].data(), names[i]);
  // Class blocks in order of first use: K82xx (32), the linker (1), K42xx (16), bypass (1),
  // ARM-9 (16).
  ASSERT_EQ(m.class_count, 66u);
  ASSERT_EQ(m.classes.size(), 66u);
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> blocks = {
      {32, 0x1400}, {1, 0}, {16, 0x1400}, {1, 0}, {16, 0x1400}};
  std::size_t index = 0;
  for (auto [count, size] : blocks) {
    for (std::uint32_t rev = 0; rev < count; ++rev, ++index) {
      EXPECT_EQ(m.classes[index], (ClassRecord{rev, size, 0, 0})) << index;
    }
  }
  std::array<std::uint32_t, kFamilyRowCount> use{}, base{};
  use[18] = 1, use[24] = 1, use[1] = 1, use[12] = 2;
  base[24] = 33, base[1] = 49, base[12] = 50;
  EXPECT_EQ(m.family_use_count, use);
  EXPECT_EQ(m.family_class_base, base);
}

// The example in three layouts: as written, with CR LF line ends, and in free form with every token
// on its own line between blanks and comments, in another letter case where case does not count.
TEST(ParseBoardConfig, ExampleFileInEveryLayout) {
  expect_example_model(parse_text(kExample, 2));
  std::string crlf;
  for (char c : std::string(kExample)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  expect_example_model(parse_text(crlf, 2));
  std::istringstream tokens(
      "[vorta_ecommode] yes [vorta_tclk_program] 'automatic' [vorta_ecom_port] 0x240 "
      "\"cpu_a\" qv740k82XX \"LINK\" spl { \"dsp_1\" QV740K42xx \"dsp_2\" BYPASS008 } "
      "{ } { \"arm\" QVARM9xx } { } \"cpu_b\" QVARM9xx");
  std::string free_form = ";cfg-2.0\n";
  for (std::string token; tokens >> token;) free_form += "\t " + token + " ;x\n\n";
  Parsed parsed = parse_text(free_form, 2);
  parsed.line = 15;  // the layout has more lines; everything else must be the same
  expect_example_model(parsed);
}

// Beyond 65536 devices and variables the counts stay exact and duplicates are still found;
// only the line numbers wrap. A quadratic duplicate check would make this test crawl.
TEST(ParseBoardConfig, MoreThan65536DevicesAndVariables) {
  const int n = 70000;
  std::string text = kLabel;
  for (int i = 0; i < n; ++i) {
    text += "\"d" + std::to_string(i) + "\" BYPASS008\n[v" + std::to_string(i) + "] " +
            std::to_string(i + 1) + "\n";
  }
  Parsed ok = parse_text(text, 2);
  ASSERT_EQ(ok.status, kStatusOk);
  EXPECT_EQ(ok.devices, 70000u);
  EXPECT_EQ(ok.model.variable_count, 70000u);
  EXPECT_EQ(ok.line, (1u + 2u * n) % 65536u);
  EXPECT_EQ(ok.model.devices.back().preIR, 8u * (n - 1));
  EXPECT_EQ(ok.model.devices.front().posDR, n - 1u);

  Parsed device = parse_text(text + "\"D0\" BYPASS008\n", 2);
  EXPECT_EQ(device.status, kStatusDeviceNameDuplicate);
  EXPECT_EQ(device.line, (2u + 2u * n) % 65536u);
  Parsed variable = parse_text(text + "[V69999] 1\n", 2);
  EXPECT_EQ(variable.status, kStatusVariableNameDuplicate);
  EXPECT_EQ(variable.devices, 70000u);
}

}  // namespace
}  // namespace kvr

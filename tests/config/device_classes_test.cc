#include "config/device_classes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/class_table.h"
#include "config/hex_number.h"
#include "config/model_append.h"

namespace kvr {
namespace {

DeviceName name_of(const char* text) {
  DeviceName name{};
  std::strncpy(name.data(), text, 8);
  return name;
}

struct NameCase {
  std::string text;  // the line, starting where the name should
  Status status;
  const char* name;  // stored on success
};

TEST(ParseDeviceName, AcceptsAndRefusesNames) {
  const std::vector<NameCase> cases = {
      {"\"dsp_1\" X", 0, "dsp_1"}, {"\"ABCdefGH\"", 0, "abcdefgh"},
      {"\"CPU_A\"", -374, ""},  // the model holds "cpu_a"
      {"\"Cpu_A\"", -374, ""},     {"\"abcdefghi\"", -375, ""},
      {"\"abcdefgh-", -375, ""},  // a ninth character is too long whatever it is
      {"\"\"", -372, ""},          {"\"1abc\"", -373, ""},
      {"\"_abc\"", -373, ""},      {"\"ab-c\"", -373, ""},
      {"\"ab c\"", -373, ""},      {"\"abc\n", -373, ""},
      {"\"abc", -373, ""},         {"abc\"", -370, ""},
      {"[abc]", -370, ""},         {"}", -370, ""},
      {"'abc'", -370, ""},         {"{\"abc\"}", -391, ""},
  };
  BoardModel model;
  ASSERT_EQ(append_device_name(model, name_of("cpu_a")), kStatusOk);
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.text);
    LineState line;
    std::memcpy(line.buffer, c.text.c_str(), c.text.size() + 1);
    line.length = static_cast<std::uint16_t>(c.text.size());
    DeviceName name = name_of("stale");
    EXPECT_EQ(parse_device_name(line, model, name), c.status);
    EXPECT_EQ(name, name_of(c.name));
    if (c.status == kStatusOk) {
      EXPECT_EQ(line.column, std::strlen(c.name) + 2);
    }
  }
}

TEST(ReadHex, BehavesLikeA32BitStrtoulWithBase16) {
  const std::vector<std::pair<const char*, std::uint32_t>> cases = {
      {"", 0},
      {"A5", 0xA5},
      {"a5", 0xA5},
      {"XX", 0},
      {"1G2", 1},
      {" \t\v\f\r\n20", 0x20},
      {"+20", 0x20},
      {"-1", 0xFFFFFFFF},
      {"-20", 0xFFFFFFE0},
      {"0x1F", 0x1F},
      {"0X", 0},
      {"0xG", 0},
      {"-0x10", 0xFFFFFFF0},
      {"FFFFFFFF", 0xFFFFFFFF},
      {"100000000", 0xFFFFFFFF},
      {"-100000000", 0xFFFFFFFF},
      {"123456789ABCDEF0123", 0xFFFFFFFF},
      {"+-1", 0},
      {"0000000000000000000001", 1},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(read_hex_u32(text), expected) << text;
}

struct LookupCase {
  const char* class_id;  // already upper case
  std::uint8_t version;
  Status status;
  std::uint32_t row;
};

TEST(FindFamilyRow, FindsTheFirstMatchingRow) {
  const std::vector<LookupCase> cases = {
      {"QV740K42A5", 2, 0, 24},    {"QV740K42", 2, -383, 25},  {"QV741", 2, -381, 25},
      {"QV741", 1, -383, 25},      {"BYPASS8", 2, -383, 25},   {"BYPASS008", 2, 0, 1},
      {"BYPASS08", 1, 0, 1},       {"BYPASS008", 1, -383, 25}, {"GENERIC01F", 2, 0, 0},
      {"GENERIC01F", 1, -383, 25}, {"SPL", 2, 0, 2},           {"SPL", 1, 0, 2},
      {"SPL{", 2, -383, 25},       {"ASP123", 2, 0, 4},        {"ASP12", 2, -383, 25},
      {"ASP123", 1, -383, 25},     {"DBM", 2, 0, 3},           {"QV740K82A", 2, 0, 17},
      {"QV740K82AB", 2, 0, 18},    {"QV740K7AB", 1, 0, 13},    {"QV740K8AB", 1, 0, 17},
      {"QV740K4A", 1, 0, 20},      {"QV740K41A", 1, 0, 21},    {"QVARM925", 1, 0, 12},
      {"QVARM92Z", 1, 0, 12},      {"QVARM9XX", 1, -383, 25},  {"QVARM9XX", 2, 0, 12},
      {"QV780T1A", 1, 0, 11},      {"QV780T1A", 2, -381, 25},  {"ZZZ", 1, -383, 25},
      {"qv740k42a5", 2, -381, 25}, {"QV760M14ABC", 2, 0, 6},   {"QV760M14ABC", 0, 0, 6},
  };
  for (const LookupCase& c : cases) {
    SCOPED_TRACE(std::string(c.class_id) + " v" + std::to_string(c.version));
    std::uint32_t row = 99;
    EXPECT_EQ(find_family_row(c.class_id, &row, c.version), c.status);
    EXPECT_EQ(row, c.row);
    EXPECT_EQ(find_family_row(c.class_id, nullptr, c.version), c.status);
  }
}

struct ResolveCase {
  const char* class_id;
  std::uint8_t version;
  Status status;
  std::uint32_t row;
  std::uint32_t ir;
  std::uint32_t high_level;
};

// Resolution as it runs inside a linker group, where no look-up comes first.
TEST(ResolveDeviceClass, SettlesRowIrLengthAndHighLevelClass) {
  const std::vector<ResolveCase> cases = {
      {"QV740K42A5", 2, 0, 24, 38, 0xB4A5},
      {"QV740K42XX", 2, 0, 24, 38, 0xB400},
      {"QV740K42-1", 2, 0, 24, 38, 0xB3FF},  // the digits read as -1 modulo 2^32
      {"BYPASS020", 2, 0, 1, 0x20, 0x2020},
      {"BYPASS400", 2, 0, 1, 1024, 0x2400},
      {"BYPASS8", 2, 0, 1, 8, 0x2008},
      {"BYPASS+20", 2, 0, 1, 0x20, 0x2020},
      {"BYPASS\v2", 2, 0, 1, 2, 0x2002},
      {"BYPASS0X1", 2, 0, 1, 1, 0x2001},
      {"BYPASS401", 2, -390, 0, 0, 0},
      {"BYPASS000", 2, -390, 0, 0, 0},
      {"BYPASS-01", 2, -390, 0, 0, 0},
      {"BYPASS0001", 2, -390, 0, 0, 0},  // longer than the row
      {"BYPASS08", 1, 0, 1, 8, 0x008},
      {"BYPASS", 1, -390, 0, 0, 0},
      {"GENERIC01F", 2, 0, 0, 0x1F, 0x101F},
      {"GENERIC1", 2, 0, 0, 1, 0x1001},
      {"GENERIC0401", 2, -390, 0, 0, 0},
      {"GENERIC01F", 1, -383, 0, 0, 0},
      {"SPL", 2, -380, 0, 0, 0},
      {"SPLX", 1, -380, 0, 0, 0},
      {"ASP123", 2, -380, 0, 0, 0},
      {"ASP123", 1, -383, 0, 0, 0},
      {"QV741", 2, -381, 0, 0, 0},
      {"QV740K42", 2, -383, 0, 0, 0},
      {"DBM", 2, 0, 3, 8, 0x3100},
      {"DBM", 1, 0, 3, 8, 0x800},
      {"QVARM925", 1, 0, 12, 4, 0x805},
      {"QV780T1A", 1, 0, 11, 4, 0x80A},
      {"QV740K7AB", 1, 0, 13, 8, 0x6AB},
      {"QV740K41A", 1, 0, 21, 46, 0xF0A},
      {"QV740K471A", 2, 0, 21, 46, 0xB10A},
      {"QV740K6A", 2, 0, 10, 8, 0x730A},
  };
  for (const ResolveCase& c : cases) {
    SCOPED_TRACE(std::string(c.class_id) + " v" + std::to_string(c.version));
    BoardModel model;
    ASSERT_EQ(append_device_name(model, name_of("dev")), kStatusOk);
    ASSERT_EQ(resolve_device_class(model, c.class_id, 0, 7, 3, c.version), c.status);
    if (c.status != kStatusOk) continue;
    const FamilyRow& row = family_table_for(c.version)[c.row];
    const DeviceRecord& record = model.devices.at(0);
    EXPECT_EQ(record.mainIR, c.ir);
    EXPECT_EQ(model.device_classes.at(0), c.high_level);
    EXPECT_EQ(model.family_use_count[c.row], 1u);
    EXPECT_EQ(model.class_count, row.class_count);
    ASSERT_EQ(model.classes.size(), row.class_count);
    EXPECT_EQ(model.classes.back(), (ClassRecord{row.class_count - 1, row.size, 0, 0}));
    EXPECT_EQ(record, (DeviceRecord{1, 0, 0, 7, 3, 0, {}, c.ir, 0, 0, 0, 0}));
  }
}

TEST(ResolveDeviceClass, SharesOneClassBlockPerFamilyAndChainsPathFields) {
  BoardModel model;
  const char* ids[] = {"QV740K42A5", "BYPASS006", "QV740K4201", "QVARM9AB"};
  for (std::uint32_t i = 0; i < 4; ++i) {
    ASSERT_EQ(append_device_name(model, name_of(std::string(1, char('a' + i)).c_str())), 0);
    ASSERT_EQ(resolve_device_class(model, ids[i], i, 0, 0, 2), kStatusOk);
  }
  EXPECT_EQ(model.class_count, 16u + 1u + 16u);
  EXPECT_EQ(model.devices[0].cls_id, 0u);
  EXPECT_EQ(model.devices[1].cls_id, 16u);
  EXPECT_EQ(model.devices[2].cls_id, 0u);
  EXPECT_EQ(model.devices[3].cls_id, 17u);
  EXPECT_EQ(model.family_use_count[24], 2u);
  EXPECT_EQ(model.device_classes[2], 0xB401u);
  const std::uint32_t pre_ir[] = {0, 38, 44, 82};
  for (std::uint32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(model.devices[i].preIR, pre_ir[i]);
    EXPECT_EQ(model.devices[i].preDR, i);
  }
}

// Invariants of both tables that a mistyped row would break.
TEST(FamilyTable, RowsAreConsistent) {
  EXPECT_EQ(&family_table_for(1), &family_table_v1());
  for (int version : {0, 2, 3, 255}) {
    EXPECT_EQ(&family_table_for(static_cast<std::uint8_t>(version)), &family_table_v2());
  }
  for (const FamilyTable* table : {&family_table_v1(), &family_table_v2()}) {
    for (const FamilyRow& row : *table) {
      SCOPED_TRACE(row.type_name);
      if (row.type_name[0] == '\0') {
        EXPECT_EQ((std::vector<std::uint32_t>{row.prefix_length, row.literal_length,
                                              row.full_length, row.class_count, row.size,
                                              row.ir_length, row.high_level_base, row.mask}),
                  (std::vector<std::uint32_t>{0, 1, 0, 0, 0, 0, 0, 0}));
        continue;
      }
      EXPECT_EQ(std::strlen(row.type_name), row.full_length);
      EXPECT_LE(row.prefix_length, row.literal_length);
      EXPECT_LE(row.literal_length, row.full_length);
      EXPECT_TRUE(row.size == 0 ? row.class_count == 1 : row.class_count >= 16);
    }
  }
  const FamilyTable& v1 = family_table_v1();
  for (auto [repeat, original] : {std::pair{14, 13}, {18, 17}, {22, 20}, {23, 21}}) {
    EXPECT_STREQ(v1[repeat].type_name, v1[original].type_name);
    EXPECT_EQ(v1[repeat].high_level_base, v1[original].high_level_base);
  }
  for (int placeholder : {0, 4, 16, 24}) EXPECT_STREQ(v1[placeholder].type_name, "");
}

}  // namespace
}  // namespace kvr

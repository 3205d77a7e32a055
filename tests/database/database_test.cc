// The database seams: the bytes the writer produces, and the analyser's status and dump.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "config/model_append.h"
#include "database/database_writer.h"
#include "support/harness.h"

namespace kvr {
namespace {

using testing::analyse_bytes;
using testing::parse_text;
using testing::words;
using testing::write_bytes;
using namespace std::string_literals;

std::string name_field(const std::string& name) {
  return name + std::string(8 - name.size(), '\0');
}

BoardModel parsed(const std::string& text) {
  testing::Parsed p = parse_text(text, text.rfind(";CFG", 0) == 0 ? 2 : 1);
  EXPECT_EQ(p.status, 0) << text;
  return std::move(p.model);
}

TEST(DatabaseTest, TheWriterLaysOutEachSection) {
  const std::string control = words({12, 0, 0});                    // an empty control section
  std::string v1_dbm = words({0x01000000 + 12 + 256 + 60, 1, 16});  // 16 class records, a device
  for (std::uint32_t rev = 0; rev < 16; ++rev) v1_dbm += words({rev, 0x1400, 0, 0});
  v1_dbm += words({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0, 0}) + words({0x800}) + "abcdefgh";
  // Main-path devices of one family share a group; a linker and the devices of its sub-paths each
  // open one of their own.
  const std::string dbm = words({0x3100}), dbm_class = words({0, 0, 0, 0});
  const std::string grouped =
      ";DAT-2.0" + words({0x02000008, 0, 12 + 16 * 3 + 64 * 5, 6, 3}) + dbm_class + dbm_class +
      dbm_class + words({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 32, 4, 2}) +
      words({3, 1, 2, 0, 0, 0, 0, 0, 0, 0, 8, 16, 2, 16, 2, 1}) +
      words({4, 0, 3, 0, 0, 0, 0, 0, 0, 0, 8, 24, 3, 8, 1, 1}) +
      words({5, 2, 4, 0, 0, 1, 6, 0, 0, 0, 8, 32, 4, 0, 0, 1}) +
      words({6, 0, 0, 5, 0, 0, 0, 0, 0, 0, 8, 0, 0, 1, 1, 1}) + dbm + name_field("a") + dbm +
      name_field("b") + words({0x2008}) + name_field("c") + dbm + name_field("d") +
      words({0x3000}) + name_field("l") + dbm + name_field("e");
  // clang-format off
  const std::vector<std::tuple<std::string, std::uint8_t, std::string>> cases = {
      {"", 1, words({0x0100000C, 0, 0})},
      {";CFG-2.0", 2, ";DAT-2.0" + words({0x02000008, 0}) + control},
      {";CFG-2.0\n[a] 1", 2, ";DAT-2.0" + words({0x0200000C, 1}) + "a\0001\0"s + control},
      {";CFG-2.0\n[ab] 1", 2, ";DAT-2.0" + words({0x02000010, 1}) + "ab\0001\0\0\0\0"s + control},
      {"[a] 1\n\"abcdefgh\" DBM", 1, v1_dbm},
      {";CFG-2.0\n\"a\" DBM \"b\" DBM \"c\" BYPASS008 \"d\" DBM \"l\" SPL {\"e\" DBM } {}{}{}", 2, grouped},
  };  // clang-format on
  for (const auto& [text, version, bytes] : cases) {
    Status status = -1;
    EXPECT_EQ(write_bytes(parsed(text), version, &status), bytes) << text;
    EXPECT_EQ(status, 0) << text;
  }
}

// A section's size word holds every size up to 0xFFFFFF, and a section past it is refused.
TEST(DatabaseTest, SizeWordsHoldEverySizeUpToTheLimit) {
  // A device section past 64 KiB, from a text past the reader's 256 KiB block: the size patched
  // into the section's header keeps its third byte, and lines read on across the block's end.
  std::string text = ";CFG-2.0\n";  // 1100 devices that alternate, so that none group
  for (int i = 0; i < 1100; ++i) {
    text += "\"d" + std::to_string(i) + (i % 2 ? "\" BYPASS006" : "\" QVARM903");
    text += " ;" + std::string(240, '-') + "\n";
  }
  Status status = -1;
  const std::string bytes = write_bytes(parse_text(text, 2).model, 2, &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(analyse_bytes(bytes, 2).dump.find("second header and control section is 70684 bytes"),
            std::string::npos);

  // 4093 variables of 4099 bytes make S1 0xFFFFFF before its padding, one byte too many after.
  BoardModel big_variables;
  char name[8];
  for (int i = 0; i < 4093; ++i) {
    if (i == 4092) {
      EXPECT_EQ(write_bytes(big_variables, 2, &status).size(), 8 + 8 + 4092 * 4099 + 12u);
      EXPECT_EQ(status, 0);
    }
    std::snprintf(name, sizeof name, "n%04d", i);
    std::uint32_t location = 0;
    append_variable(big_variables, name, std::string(4092, 'v'), true, location);
  }
  EXPECT_EQ(write_bytes(big_variables, 2, &status), ";DAT-2.0");  // the label alone
  EXPECT_EQ(status, -223);

  BoardModel many_devices;  // the limit applies to the ungrouped size
  many_devices.device_count = (0xFFFFFF - 12) / 64 + 1;
  EXPECT_EQ(write_bytes(many_devices, 2, &status), ";DAT-2.0" + words({8, 0}));
  EXPECT_EQ(status, -223);
  many_devices.device_count = (0xFFFFFF - 12) / 60 + 1;
  EXPECT_EQ(write_bytes(many_devices, 1, &status), "");
  EXPECT_EQ(status, -223);
}

// A failed write or seek stops the writer at once: the file holds what was written before it,
// never the version tag, which is written last.
TEST(DatabaseTest, FailedWritesAndSeeksStopTheWriter) {
  const BoardModel model = parsed(";CFG-2.0\n[a] 'x'\n\"a\" DBM \"b\" DBM");
  const std::string good = write_bytes(model, 2);
  const std::tuple<std::uint8_t, std::size_t, std::size_t, Status> cases[] = {
      {2, 0, 99, -135}, {2, 7, 99, -135},  {2, 8, 99, -136},  {2, 20, 99, -136}, {2, 90, 99, -136},
      {1, 0, 99, -136}, {2, 999, 0, -136}, {2, 999, 1, -136}, {2, 999, 2, -136}, {1, 999, 1, -136},
  };  // version, the first byte and the first seek that fail, the status
  for (const auto& [version, failing_byte, failing_seek, status] : cases) {
    testing::FailingSink sink(failing_byte, failing_seek);
    EXPECT_EQ(write_board_database(model, sink, version), status)
        << failing_byte << " " << failing_seek;
    if (version == 2 && failing_seek < 2 && sink.bytes.size() > 11) {
      EXPECT_EQ(sink.bytes[11], '\0');
    }
    if (version == 2 && failing_byte <= 20) {
      std::string expected = good.substr(0, failing_byte);
      if (expected.size() > 11) expected[11] = '\0';
      EXPECT_EQ(sink.bytes, expected) << failing_byte;
    }
  }
}

TEST(DatabaseTest, TheAnalyserDumpsEveryField) {
  std::string v2 = write_bytes(parsed(";CFG-2.0\n[Ab] 'Q'\n\"Dev\" DBM \"e\" DBM"), 2);
  v2.replace(44, 8,
             words({3, 0xFE000004}));  // the class record's addr and who, left 0 by the writer
  EXPECT_EQ(analyse_bytes(v2, 2).dump,
            "The file format is version 2.\nThe label is 8 bytes.\n"
            "The first header and variable section is 16 bytes.\nThe number of variables is 1.\n\n"
            "  Variable 0\n    name  = [ab]\n    value = 'q'\n\nThe padding is 1 bytes.\n"
            "The second header and control section is 92 bytes.\nThe number of classes is 1.\n\n"
            "  Class 0\n    rev  = 0x0\n    size = 0x0\n    addr = 0x3\n    who  = 0xfe000004\n\n"
            "The number of devices is 2.\n\n  Device 0\n    dev_id    = 0x1\n"
            "    cls_id    = 0x0\n    prior     = 0x0\n    parent    = 0x0\n    subpath   = 0x0\n"
            "    connect   = 0x0\n    sub_id[0] = 0x0\n    sub_id[1] = 0x0\n    sub_id[2] = 0x0\n"
            "    sub_id[3] = 0x0\n    mainIR    = 0x8\n    preIR     = 0x0\n    preDR     = 0x0\n"
            "    posIR     = 0x8\n    posDR     = 0x1\n    dev_count = 0x2\n\n"
            "The high-level section's device count is 2.\n\n  Device 0\n    name  = \"dev\"\n"
            "    class = 0x3100\n  Device 1\n    name  = \"e\"\n    class = 0x3100\n");
  const std::string v1 = write_bytes(parsed("\"a\" BYPASS1F"), 1);  // no label, no variables
  EXPECT_TRUE(analyse_bytes(v1, 1).dump.starts_with(
      "The file format is version 1.\nThe second header and control section is 88 bytes.\n"));
  EXPECT_EQ(analyse_bytes(v2, 2, false).dump, "");
}

// What no writer writes is refused: a name past 32 characters, a value past 4096, a first section
// smaller than its own header.
TEST(DatabaseTest, TheAnalyserRefusesWhatNoWriterWrites) {
  auto one_variable = [](const std::string& variable) {
    const std::string padding((4 - variable.size() % 4) % 4, '\0');
    const auto size = static_cast<std::uint32_t>(8 + variable.size() + padding.size());
    return ";DAT-2.0" + words({0x02000000 + size, 1}) + variable + padding + words({12, 0, 0});
  };
  const std::vector<std::pair<std::string, Status>> cases = {
      {one_variable(std::string(32, 'n') + "\0v\0"s), 0},
      {one_variable(std::string(33, 'n') + "\0v\0"s), -225},
      {one_variable("n\0"s + std::string(4096, 'v') + '\0'), 0},
      {one_variable("n\0"s + std::string(4097, 'v') + '\0'), -225},
      {";DAT-2.0" + words({0x02000000, 0, 12, 0, 0}), -225},
      {write_bytes(parsed(";CFG-2.0\n\"a\" DBM"), 2).substr(0, 39), -135},  // a name cut short
  };
  for (const auto& [bytes, status] : cases) {
    EXPECT_EQ(analyse_bytes(bytes, 2).status, status) << bytes.size();
  }
}

}  // namespace
}  // namespace kvr

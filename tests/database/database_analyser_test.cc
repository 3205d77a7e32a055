#include "database/database_analyser.h"

#include <gtest/gtest.h>

#include "database/board_samples.h"
#include "support/test_files.h"

namespace kvr::testing {
namespace {

struct Analysis {
  Status status;
  std::string dump;
  BoardModel counts;
  long position_after;
};

Analysis analyse(const std::string& bytes, std::uint8_t version, std::uint16_t verbose = 1) {
  UniqueFile in = stream_with(bytes);
  UniqueFile out = empty_stream();
  Analysis a;
  a.status = analyse_board_database(a.counts, in.get(), verbose, version, out.get());
  a.position_after = std::ftell(in.get());
  a.dump = contents_of(out.get());
  return a;
}

// A variable to lower-case, one class record, and two devices of one group with their names as
// stored.
BoardModel small_board() {
  BoardModel m;
  add_variable(m, "Vorta_Mode", "YES");
  add_class(m, {2, 0x40, 1, 0xFF});
  add_device(m, {"Cpu_a", 0, 4}, 0x12345678);
  add_device(m, {"cpu_b", 0, 4}, 0xA1);
  lay_out_paths(m);
  return m;
}

const char kEmptyV1Dump[] =
    "The file format is version 1.\n"
    "The second header and control section is 12 bytes.\n"
    "The number of classes is 0.\n"
    "The number of devices is 0.\n"
    "The high-level section's device count is 0.\n";

const char kEmptyV2Dump[] =
    "The file format is version 2.\n"
    "The label is 8 bytes.\n"
    "The first header and variable section is 8 bytes.\n"
    "The number of variables is 0.\n"
    "The padding is 0 bytes.\n"
    "The second header and control section is 12 bytes.\n"
    "The number of classes is 0.\n"
    "The number of devices is 0.\n"
    "The high-level section's device count is 0.\n";

const char kSmallV2Dump[] =
    "The file format is version 2.\n"
    "The label is 8 bytes.\n"
    "The first header and variable section is 24 bytes.\n"
    "The number of variables is 1.\n"
    "\n"
    "  Variable 0\n"
    "    name  = [vorta_mode]\n"
    "    value = yes\n"
    "\n"
    "The padding is 1 bytes.\n"
    "The second header and control section is 92 bytes.\n"
    "The number of classes is 1.\n"
    "\n"
    "  Class 0\n"
    "    rev  = 0x2\n"
    "    size = 0x40\n"
    "    addr = 0x1\n"
    "    who  = 0xff\n"
    "\n"
    "The number of devices is 2.\n"
    "\n"
    "  Device 0\n"
    "    dev_id    = 0x1\n"
    "    cls_id    = 0x0\n"
    "    prior     = 0x0\n"
    "    parent    = 0x0\n"
    "    subpath   = 0x0\n"
    "    connect   = 0x0\n"
    "    sub_id[0] = 0x0\n"
    "    sub_id[1] = 0x0\n"
    "    sub_id[2] = 0x0\n"
    "    sub_id[3] = 0x0\n"
    "    mainIR    = 0x4\n"
    "    preIR     = 0x0\n"
    "    preDR     = 0x0\n"
    "    posIR     = 0x4\n"
    "    posDR     = 0x1\n"
    "    dev_count = 0x2\n"
    "\n"
    "The high-level section's device count is 2.\n"
    "\n"
    "  Device 0\n"
    "    name  = \"Cpu_a\"\n"
    "    class = 0x12345678\n"
    "  Device 1\n"
    "    name  = \"cpu_b\"\n"
    "    class = 0xa1\n";

// The records of version 1 files, and the numbering of groups after the first, are read back in
// the round-trip test.
TEST(DatabaseAnalyserTest, DumpsEveryFieldInVerboseModeAndNothingInBriefMode) {
  struct Case {
    const char* board;
    BoardModel model;
    std::uint8_t version;
    const char* dump;
    std::uint32_t variables, devices, classes;
  } cases[] = {
      {"empty", BoardModel{}, 1, kEmptyV1Dump, 0, 0, 0},
      {"empty", BoardModel{}, 2, kEmptyV2Dump, 0, 0, 0},
      {"small", small_board(), 2, kSmallV2Dump, 1, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.board) + ", version " + std::to_string(c.version));
    const std::string bytes = written(c.model, c.version);
    for (const std::uint16_t verbose : {1, 0}) {
      const Analysis a = analyse(bytes, c.version, verbose);
      EXPECT_EQ(a.status, kStatusOk);
      EXPECT_EQ(a.dump, verbose != 0 ? c.dump : "");
      EXPECT_EQ(a.position_after, 0);
      EXPECT_EQ(a.counts.variable_count, c.variables);
      EXPECT_EQ(a.counts.device_count, c.devices);
      EXPECT_EQ(a.counts.class_count, c.classes);
      EXPECT_TRUE(a.counts.devices.empty() && a.counts.variables.empty());
    }
  }
}

std::string one_variable(const std::string& name, const std::string& value) {
  std::uint32_t s1 = 8 + static_cast<std::uint32_t>(name.size() + value.size()) + 2;
  const std::uint32_t padding = (4 - s1 % 4) % 4;
  s1 += padding;
  return ";DAT-2.0" + words({0x02000000 | s1, 1}) + name + '\0' + value + '\0' +
         std::string(padding, '\0') + words({12, 0, 0});
}

// A version 2 control section for `devices` devices, no classes, followed by `records`.
std::string v2_devices(std::uint32_t devices, const std::string& records) {
  return ";DAT-2.0" + words({0x02000008, 0, 12, devices, 0}) + records;
}

std::string v2_record(std::uint32_t dev_count) {
  return words({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, dev_count});
}

// Files that cannot be used give -225; the end of the file inside anything gives -135.
TEST(DatabaseAnalyserTest, RefusesUnusableFilesAndStopsAtTheEndOfTheFile) {
  const std::string label = ";DAT-2.0";
  const std::string entry = words({0}) + std::string(8, 'n');
  struct Case {
    const char* file;
    std::uint8_t version;
    Status status;
    std::string bytes;
  } cases[] = {
      {"S1 of 0", 2, -225, label + words({0x02000000, 0, 12, 0, 0})},
      {"S2 of 0 under a tag", 2, -225, label + words({0x02000008, 0, 0xFF000000, 0, 0})},
      {"S2 of 0 in version 1", 1, -225, words({0x01000000, 0, 0})},
      {"a name of 32 characters", 2, 0, one_variable(std::string(32, 'N'), "v")},
      {"a name of 33 characters", 2, -225, one_variable(std::string(33, 'N'), "v")},
      {"a value of 4096 characters", 2, 0, one_variable("n", std::string(4096, 'V'))},
      {"a value of 4097 characters", 2, -225, one_variable("n", std::string(4097, 'V'))},
      {"padding bytes are skipped whatever they hold", 2, 0,
       label + words({0x02000010, 1}) + std::string("a\0b\0\xFF\xFF\xFF\xFF", 8) +
           words({12, 0, 0})},
      {"a dev_count of 0 reads records up to the end", 2, -135,
       v2_devices(1, v2_record(0) + v2_record(0) + entry)},
      {"a dev_count past the device count ends the records", 2, 0,
       v2_devices(2, v2_record(0xFFFFFFFF) + entry + entry)},
      {"k wrapping back to 0", 2, -135,
       v2_devices(0xFFFFFFFF, v2_record(0xFFFFFFFE) + v2_record(2) + v2_record(1))},
      {"a huge variable count", 2, -135,
       label + words({0x02000008, 0xFFFFFFFF}) + std::string("a\0b\0", 4)},
      {"a huge class count", 1, -135, words({0x0100000C, 0, 0xFFFFFFFF}) + words({1, 2, 3, 4})},
      {"a huge device count", 1, -135, words({0x0100000C, 0xFFFFFFFF, 0}) + std::string(60, 'r')},
      {"a huge device count in version 2", 2, -135, v2_devices(0xFFFFFFFF, v2_record(1))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    for (const std::uint16_t verbose : {1, 0}) {
      EXPECT_EQ(analyse(c.bytes, c.version, verbose).status, c.status);
    }
  }
}

TEST(DatabaseAnalyserTest, ReadsOnWhenTheVariablesRunPastTheFirstSection) {
  // S1 says 8, but the variable takes 4 bytes more: the padding wraps and nothing is skipped.
  const Analysis a = analyse(
      ";DAT-2.0" + words({0x02000008, 1}) + std::string("a\0b\0", 4) + words({12, 0, 0}), 2);
  EXPECT_EQ(a.status, kStatusOk);
  EXPECT_NE(a.dump.find("The padding is 4294967292 bytes.\n"), std::string::npos);
}

TEST(DatabaseAnalyserTest, FailsToReadEveryTruncatedFile) {
  for (const std::uint8_t version : {1, 2}) {
    for (const BoardModel& model : {small_board(), example_board()}) {
      const std::string bytes = written(model, version);
      for (std::size_t length = 0; length < bytes.size(); ++length) {
        SCOPED_TRACE("version " + std::to_string(version) + ", " + std::to_string(length) +
                     " bytes");
        for (const std::uint16_t verbose : {1, 0}) {
          EXPECT_EQ(analyse(bytes.substr(0, length), version, verbose).status, kStatusReadFailed);
        }
      }
    }
  }
}

}  // namespace
}  // namespace kvr::testing

#include "database/database_writer.h"

#include <gtest/gtest.h>

#include <vector>

#include "database/board_samples.h"
#include "support/failing_stream.h"
#include "support/test_files.h"

namespace kvr::testing {
namespace {

std::string name_field(const std::string& name) {
  return name + std::string(8 - name.size(), '\0');
}

BoardModel variables_only(std::string name, std::string value) {
  BoardModel m;
  add_variable(m, std::move(name), std::move(value));
  return m;
}

// Four main-path devices A A B A, two with 8-character names.
BoardModel aaba_board() {
  BoardModel m;
  add_class(m, {0, 0x10, 0, 0});
  add_class(m, {0, 0x20, 0, 0});
  add_device(m, {"abcdefgh", 0, 4}, 0xA0);
  add_device(m, {"a2", 0, 4}, 0xA1);
  add_device(m, {"b", 1, 6}, 0xB0);
  add_device(m, {"zyxwvuts", 0, 4}, 0xA2);
  lay_out_paths(m);
  return m;
}

const std::string kLabel = ";DAT-2.0";

TEST(DatabaseWriterTest, WritesTheExactBytesOfSmallBoards) {
  const std::string aaba_classes = words({0, 0x10, 0, 0, 0, 0x20, 0, 0});
  const std::string aaba_devices[] = {words({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 14, 3}),
                                      words({2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 4, 4, 1, 10, 2}),
                                      words({3, 1, 2, 0, 0, 0, 0, 0, 0, 0, 6, 8, 2, 4, 1}),
                                      words({4, 0, 3, 0, 0, 0, 0, 0, 0, 0, 4, 14, 3, 0, 0})};
  const std::string aaba_high = words({0xA0}) + "abcdefgh" + words({0xA1}) + name_field("a2") +
                                words({0xB0}) + name_field("b") + words({0xA2}) + "zyxwvuts";
  const std::string example_classes =
      words({0, 0, 0, 0, 1, 0x10, 0, 0, 2, 0x20, 0, 0, 3, 0x30, 0, 0, 4, 0x40, 0, 0});
  const std::string example_devices[] = {words({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 12, 2}),
                                         words({2, 1, 1, 0, 0, 1, 3, 0, 5, 0, 8, 4, 1, 4, 1}),
                                         words({3, 2, 0, 2, 0, 0, 0, 0, 0, 0, 6, 0, 0, 9, 2}),
                                         words({4, 3, 3, 2, 0, 0, 0, 0, 0, 0, 8, 6, 1, 1, 1}),
                                         words({5, 4, 0, 2, 2, 0, 0, 0, 0, 0, 4, 0, 0, 1, 1}),
                                         words({6, 4, 2, 0, 0, 0, 0, 0, 0, 0, 4, 12, 2, 0, 0})};
  std::string example_v1_devices;
  std::string example_v2_groups;
  for (const std::string& d : example_devices) {
    example_v1_devices += d;
    example_v2_groups += d + words({1});
  }
  const std::string example_high = words({0x100}) + name_field("cpu_a") + words({0x200}) +
                                   name_field("link") + words({0x300}) + name_field("dsp_1") +
                                   words({0x400}) + name_field("dsp_2") + words({0x500}) +
                                   name_field("arm") + words({0x501}) + name_field("cpu_b");
  const std::string example_variables = std::string(
      "vorta_ecommode\0yes\0vorta_tclk_program\0'automatic'\0vorta_ecom_port\0000x240\0", 72);
  const std::string empty_control = words({0x0C, 0, 0});

  struct Case {
    const char* board;
    BoardModel model;
    std::uint8_t version;
    std::string expected;
  } cases[] = {
      {"empty", {}, 2, kLabel + words({0x02000008, 0}) + empty_control},
      {"empty", {}, 1, words({0x0100000C, 0, 0})},
      {"variables are not stored in version 1", variables_only("a", "b"), 1,
       words({0x0100000C, 0, 0})},
      {"a=b needs no padding", variables_only("a", "b"), 2,
       kLabel + words({0x0200000C, 1}) + std::string("a\0b\0", 4) + empty_control},
      {"ab=c needs 3 padding bytes", variables_only("ab", "c"), 2,
       kLabel + words({0x02000010, 1}) + std::string("ab\0c\0\0\0\0", 8) + empty_control},
      {"abc=d needs 2 padding bytes", variables_only("abc", "d"), 2,
       kLabel + words({0x02000010, 1}) + std::string("abc\0d\0\0\0", 8) + empty_control},
      {"abcd=e needs 1 padding byte", variables_only("abcd", "e"), 2,
       kLabel + words({0x02000010, 1}) + std::string("abcd\0e\0\0", 8) + empty_control},
      {"A A B A", aaba_board(), 2,
       kLabel + words({0x02000008, 0, 12 + 32 + 3 * 64, 4, 2}) + aaba_classes + aaba_devices[0] +
           words({2}) + aaba_devices[2] + words({1}) + aaba_devices[3] + words({1}) + aaba_high},
      {"A A B A", aaba_board(), 1,
       words({0x01000000 | (12 + 32 + 4 * 60), 4, 2}) + aaba_classes + aaba_devices[0] +
           aaba_devices[1] + aaba_devices[2] + aaba_devices[3] + aaba_high},
      {"example with a linker", example_board(), 2,
       kLabel + words({0x02000050, 3}) + example_variables + words({12 + 80 + 6 * 64, 6, 5}) +
           example_classes + example_v2_groups + example_high},
      {"example with a linker", example_board(), 1,
       words({0x01000000 | (12 + 80 + 6 * 60), 6, 5}) + example_classes + example_v1_devices +
           example_high},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.board) + ", version " + std::to_string(c.version));
    Status status = 1;
    EXPECT_EQ(written(c.model, c.version, &status), c.expected);
    EXPECT_EQ(status, kStatusOk);
  }
}

TEST(DatabaseWriterTest, GroupsOnlyDevicesThatReadersDeriveExactly) {
  const DeviceLine a{"", 0, 4}, b{"", 1, 6}, bypass8{"", 2, 8}, bypass16{"", 2, 16};
  const DeviceLine linker{"", 3, 8, 0, 0, 1};
  auto in_sub = [](DeviceLine d, std::uint32_t parent, std::uint32_t sub) {
    d.parent = parent;
    d.subpath = sub;
    return d;
  };
  struct Case {
    const char* board;
    std::vector<DeviceLine> devices;
    std::vector<std::uint32_t> dev_counts;
  } cases[] = {
      {"three of one family form one group", {a, a, a}, {3}},
      {"a bypass of another IR length opens a group",
       {bypass8, bypass8, bypass16, bypass16},
       {2, 2}},
      {"linkers never join", {linker, linker}, {1, 1}},
      {"sub-path devices never join", {linker, in_sub(a, 1, 0), in_sub(a, 1, 0)}, {1, 1, 1}},
      {"a main-path device after a sub-path does not join it",
       {a, linker, in_sub(a, 2, 3), a, a},
       {1, 1, 1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.board);
    BoardModel m;
    for (const DeviceLine& d : c.devices) add_device(m, d, 0);
    lay_out_paths(m);
    const std::string bytes = written(m, 2);
    std::vector<std::uint32_t> dev_counts;
    // No variables and no classes: the groups start at offset 28.
    for (std::size_t at = 28 + 60; at + 4 <= bytes.size() - std::size_t{12} * m.device_count;
         at += 64) {
      dev_counts.push_back(static_cast<std::uint8_t>(bytes[at]));
    }
    EXPECT_EQ(dev_counts, c.dev_counts);
    EXPECT_EQ(bytes.substr(16, 4),
              words({12 + 64 * static_cast<std::uint32_t>(dev_counts.size())}));
  }
}

TEST(DatabaseWriterTest, RefusesSectionsOverTheSizeLimit) {
  // One variable "a" with a value of n characters: S1 = n + 11 before padding.
  const std::size_t largest_value = 0xFFFFFC - 11;
  BoardModel largest = variables_only("a", std::string(largest_value, 'v'));
  BoardModel too_large = variables_only("a", std::string(largest_value + 1, 'v'));
  BoardModel many_devices;  // only the counter: the limit is checked before any record is read
  many_devices.device_count = (0xFFFFFF - 12) / 64 + 1;
  BoardModel many_classes;
  many_classes.class_count = (0xFFFFFF - 12) / 16 + 1;
  struct Case {
    const char* board;
    const BoardModel& model;
    std::uint8_t version;
    Status status;
    std::size_t bytes_written;
  } cases[] = {
      {"S1 of 0xFFFFFC", largest, 2, kStatusOk, 8 + 0xFFFFFC + 12},
      {"S1 of 0xFFFFFD padded past the limit", too_large, 2, kStatusSectionTooLarge, 8},
      {"64 bytes per ungrouped device", many_devices, 2, kStatusSectionTooLarge, 16},
      {"too many classes", many_classes, 1, kStatusSectionTooLarge, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.board);
    Status status = 1;
    EXPECT_EQ(written(c.model, c.version, &status).size(), c.bytes_written);
    EXPECT_EQ(status, c.status);
  }
}

TEST(DatabaseWriterTest, ReportsEveryFailedWriteOrSeek) {
  const BoardModel board = example_board();
  for (const std::uint8_t version : {1, 2}) {
    const std::string good = written(board, version);
    // The patches write the exact S2 (version 2) and the tag byte after the sections.
    const std::size_t total_writes = good.size() + (version == 2 ? 4 : 0) + 1;
    for (std::size_t n = 0; n <= total_writes; ++n) {
      SCOPED_TRACE("version " + std::to_string(version) + ", write " + std::to_string(n));
      FailingStreamState state;
      state.failing_write = n;
      UniqueFile file = failing_stream(state);
      const Status status = write_board_database(board, file.get(), version);
      if (n == total_writes) {
        EXPECT_EQ(status, kStatusOk);
        EXPECT_EQ(state.bytes, good);
        EXPECT_EQ(state.position, 0U);
      } else {
        EXPECT_EQ(status, version == 2 && n < 8 ? kStatusReadFailed : kStatusWriteFailed);
        EXPECT_EQ(state.bytes.size(), std::min(n, good.size()));
      }
    }
    const std::size_t seeks = version == 2 ? 3 : 2;  // S2 patch, tag byte, rewind
    for (std::size_t n = 0; n <= seeks; ++n) {
      SCOPED_TRACE("version " + std::to_string(version) + ", seek " + std::to_string(n));
      FailingStreamState state;
      state.failing_seek = n;
      UniqueFile file = failing_stream(state);
      EXPECT_EQ(write_board_database(board, file.get(), version),
                n == seeks ? kStatusOk : kStatusWriteFailed);
    }
  }
}

TEST(DatabaseWriterTest, LeavesAFailedFileWithoutItsTagAndWithTheProvisionalSize) {
  const BoardModel board = aaba_board();
  const std::string good = written(board, 2);
  FailingStreamState state;
  state.failing_seek = 0;
  UniqueFile file = failing_stream(state);
  EXPECT_EQ(write_board_database(board, file.get(), 2), kStatusWriteFailed);
  std::string expected = good;
  expected[11] = '\0';
  expected.replace(16, 4, words({12 + 32 + 4 * 64}));
  EXPECT_EQ(state.bytes, expected);
}

}  // namespace
}  // namespace kvr::testing

#include "database/file_kind.h"

#include <gtest/gtest.h>

#include "database/board_samples.h"
#include "support/test_files.h"

namespace kvr::testing {
namespace {

constexpr std::uint16_t kUnset = 7;

TEST(FileKindTest, TellsKindAndVersionFromTheFirstBytes) {
  struct Case {
    const char* file;
    std::string bytes;
    Status status;
    std::uint16_t kind = kUnset;
    std::uint8_t version = kUnset;
    long position_after = 0;
  } cases[] = {
      {"version 2 database", ";DAT-2.0" + words({0x02000008}), 0, 1, 2},
      {"lower-case database label", ";dat-2.0" + words({0x02FFFFFF, 1}), 0, 1, 2},
      {"database label, tag 1", ";DAT-2.0" + words({0x01000008}), -240, kUnset, kUnset, 12},
      {"database label, tag 0", ";DAT-2.0" + words({0x00000008}), -240, kUnset, kUnset, 12},
      {"database label cut inside the size word", std::string(";DAT-2.0\x08\0\0", 11), -135, kUnset,
       kUnset, 11},
      {"only the database label", ";DAT-2.0", -135, kUnset, kUnset, 8},
      {"version 2 configuration", ";CFG-2.0\n[a] 1\n", 0, 0, 2},
      {"mixed-case configuration label followed by anything", ";Cfg-2.0x", 0, 0, 2},
      {"only the configuration label", ";CFG-2.0", 0, 0, 2},
      {"version 1 database", words({0x0100000C, 0, 0}), 0, 1, 1},
      {"text whose fourth byte is 1", "abc\x01 more text", 0, 1, 1},
      {"version 1 configuration", "\"cpu\" QV740K82xx\n", 0, 0, 1},
      {"the first four label characters only", ";CFG-1.0", 0, 0, 1},
      {"7 bytes", ";CFG-2.", -135, kUnset, kUnset, 7},
      {"5 bytes with a database tag", std::string("\x0c\0\0\x01\0", 5), -135, kUnset, kUnset, 5},
      {"empty", "", -135},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    UniqueFile file = stream_with(c.bytes);
    std::uint16_t kind = kUnset;
    std::uint8_t version = kUnset;
    EXPECT_EQ(recognise_file_kind(file.get(), &kind, &version), c.status);
    EXPECT_EQ(kind, c.kind);
    EXPECT_EQ(version, c.version);
    EXPECT_EQ(std::ftell(file.get()), c.position_after);
  }
}

}  // namespace
}  // namespace kvr::testing

#include "base/file_open.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/test_files.h"

namespace kvr {
namespace {

using testing::TempDir;
using testing::write_file;

TEST(FileOpenTest, NamesResolveLikeACaseInsensitiveFileSystem) {
  TempDir folder;
  ::mkdir(folder.file("Boards").c_str(), 0755);
  write_file(folder.file("Boards/Main.CFG"), "main");
  write_file(folder.file("exact.cfg"), "exact");
  write_file(folder.file("EXACT.CFG"), "upper");
  const std::string base = folder.path() + "/";
  struct Row {
    std::string name;
    std::string contents;  // empty: the file must not open
  };
  const std::vector<Row> rows = {
      {base + "boards/main.cfg", "main"},  {base + "boards\\main.cfg", "main"},
      {base + "BOARDS\\MAIN.cfg", "main"}, {base + "boards/./main.cfg", "main"},
      {base + "exact.cfg", "exact"},  // an exact match wins over a case variant
      {base + "EXACT.CFG", "upper"},       {base + "boards/missing.cfg", ""},
      {base + "missing/main.cfg", ""},     {base + "boards", ""},  // a folder is not a file
  };
  for (const Row& row : rows) {
    std::FILE* file = open_file(row.name, "r");
    if (row.contents.empty()) {
      EXPECT_EQ(file, nullptr) << row.name;
      if (file != nullptr) std::fclose(file);
      continue;
    }
    ASSERT_NE(file, nullptr) << row.name;
    char buffer[16] = {};
    std::size_t got = std::fread(buffer, 1, sizeof buffer - 1, file);
    std::fclose(file);
    EXPECT_EQ(std::string(buffer, got), row.contents) << row.name;
  }
}

TEST(FileOpenTest, WritesFindTheFolderButNeverAFileOfAnotherName) {
  TempDir folder;
  ::mkdir(folder.file("Out").c_str(), 0755);
  write_file(folder.file("Out/OLD.DAT"), "keep");
  for (const char* mode : {"wb", "a"}) {
    std::FILE* file = open_file(folder.path() + "\\out\\old.dat", mode);
    ASSERT_NE(file, nullptr);
    std::fclose(file);
  }
  EXPECT_TRUE(testing::file_exists(folder.file("Out/old.dat")));
  EXPECT_EQ(testing::read_file(folder.file("Out/OLD.DAT")), "keep");
}

TEST(FileOpenTest, SameExistingFileComparesTheFilesNotTheNames) {
  TempDir folder;
  write_file(folder.file("board.cfg"), "x");
  write_file(folder.file("other.cfg"), "x");
  const std::string base = folder.path() + "/";
  EXPECT_TRUE(same_existing_file(base + "BOARD.CFG", base + ".\\board.cfg"));
  // A write under another letter case creates a new file, so it is not the input.
  EXPECT_FALSE(same_existing_file(base + "board.cfg", base + "BOARD.cfg"));
  EXPECT_FALSE(same_existing_file(base + "board.cfg", base + "other.cfg"));
  EXPECT_FALSE(same_existing_file(base + "board.cfg", base + "missing.cfg"));
  EXPECT_FALSE(same_existing_file(base + "missing.cfg", base + "missing.cfg"));
}

}  // namespace
}  // namespace kvr

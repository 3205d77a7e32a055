#include "scanlib/builtin_library.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "scanlib/error_texts.h"
#include "support/test_files.h"

namespace kvr {
namespace {

TEST(BuiltinLibraryTest, ReportsItsVersionOnTheSecondLine) {
  BuiltinScanLibrary library;
  char text[256] = {};
  ControllerRecord controller;
  controller.kind = 32;
  controller.capacity = sizeof text;
  controller.text = text;
  ASSERT_EQ(library.SMG_Version(controller), 0);
  std::string version(text);
  EXPECT_EQ(version.substr(version.find('\n') + 1), "3.3.12\n");
}

TEST(BuiltinLibraryTest, KnowsNoOperatingSystem) {
  BuiltinScanLibrary library;
  char text[81] = "garbage";
  ControllerRecord controller;
  controller.capacity = sizeof text;
  controller.text = text;
  library.SMG_OsInform(controller);
  EXPECT_TRUE(controller.result < 3 || controller.result > 8);
  EXPECT_STREQ(text, "");
}

TEST(BuiltinLibraryTest, ExplainsEveryStatusTheProgramProduces) {
  const std::set<Status> produced = {-131, -135, -136, -223, -225, -240, -248, -354, -356,
                                     -361, -362, -363, -364, -365, -370, -372, -373, -374,
                                     -375, -380, -381, -383, -384, -386, -390, -391};
  std::set<Status> listed;
  for (const ErrorText* entry = all_error_texts(); entry->title != nullptr; ++entry) {
    listed.insert(entry->value);
    std::string explanation = entry->explanation;
    EXPECT_EQ(explanation.back(), '\n') << entry->value;
    for (std::size_t start = 0, end; start < explanation.size(); start = end + 1) {
      end = explanation.find('\n', start);
      EXPECT_LE(end - start, 79u) << entry->value;
    }
  }
  EXPECT_EQ(listed, produced);

  BuiltinScanLibrary library;
  for (Status value : produced) {
    ErrorRecord error;
    error.request = 1;
    error.value = value;
    ControllerRecord controller;
    ASSERT_EQ(library.SMG_ErrorInform(error, controller), 0);
    EXPECT_EQ(error.origin, kOriginDriver);
    ASSERT_NE(error.title, nullptr);
    EXPECT_NE(error.title_present, 0u);
    EXPECT_STREQ(error.title, find_error_text(value)->title);
    EXPECT_NE(error.explanation_present, 0u);
    error.request = 0;  // the release frees what the look-up handed out (ASan would tell)
    EXPECT_EQ(library.SMG_ErrorInform(error, controller), 0);
    EXPECT_EQ(error.title, nullptr);
  }
  for (Status value : {0, 1, -1, -156, -999}) {
    ErrorRecord error;
    error.request = 1;
    error.value = value;
    ControllerRecord controller;
    ASSERT_EQ(library.SMG_ErrorInform(error, controller), 0);
    EXPECT_EQ(error.origin, kOriginUnknownToDriver) << value;
  }
}

struct Fetched {
  Status load = 0;
  std::uint16_t found = 0;
  std::string value;
};

Fetched fetch(const std::string& file_text, const char* name) {
  testing::TempDir folder;
  const std::string path = folder.file("board.cfg");
  testing::write_file(path, file_text);
  BuiltinScanLibrary library;
  BoardDataHandle handle = nullptr;
  std::uint32_t aux = 0;
  Fetched result;
  result.load = library.SMG_LoadBoardData(path.c_str(), 1, &handle, &aux);
  if (result.load != 0) {
    EXPECT_EQ(handle, nullptr);
    return result;
  }
  char value[4097] = {};
  EXPECT_EQ(library.SMG_GetConfigVariable(handle, "UTILITY", name, &result.found, nullptr, nullptr,
                                          value, sizeof value),
            0);
  result.value = value;
  EXPECT_EQ(library.SMG_UnloadBoardData(&handle), 0);
  EXPECT_EQ(handle, nullptr);
  return result;
}

TEST(BuiltinLibraryTest, FetchesConfigureVariablesFromABoardFile) {
  struct Row {
    std::string file;
    const char* name;
    Status load;
    std::uint16_t found;
    std::string value;
  };
  const std::vector<Row> rows = {
      {";CFG-2.0\n[UTILITY_HI_OPTIONS] 'kvrbuild -v -g1 x'\n", "UTILITY_HI_OPTIONS", 0, 1,
       "kvrbuild -v -g1 x"},
      {";cfg-2.0\n[utility_hi_options] ''\n", "UTILITY_HI_OPTIONS", 0, 1, ""},
      {";CFG-2.0\n[Utility_Hi_Options_T] 0x10\n", "UTILITY_HI_OPTIONS_t", 0, 1, "0x10"},
      {";CFG-2.0\n[OTHER] yes\n", "UTILITY_HI_OPTIONS", 0, 0, ""},
      {"[UTILITY_HI_OPTIONS] 'v1 file'\n\"dsp\" QV780T1x\n", "UTILITY_HI_OPTIONS", 0, 1, "v1 file"},
      {";CFG-2.0\n\"dsp\" QV780T1x\n", "UTILITY_HI_OPTIONS", -381, 0, ""},  // version 2 rules
      {";CFG-2.0\n[x] ?\n", "UTILITY_HI_OPTIONS", -365, 0, ""},
  };
  for (const Row& row : rows) {
    Fetched fetched = fetch(row.file, row.name);
    EXPECT_EQ(fetched.load, row.load) << row.file;
    EXPECT_EQ(fetched.found, row.found) << row.file;
    EXPECT_EQ(fetched.value, row.value) << row.file;
  }
}

}  // namespace
}  // namespace kvr

#include "frontend/console_text.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_files.h"

namespace kvr {
namespace {

using testing::contents_of;
using testing::empty_stream;

std::string banner_of(const std::string& title) {
  auto out = empty_stream();
  print_section_banner(out.get(), "%s", title.c_str());
  return contents_of(out.get());
}

TEST(SectionBannerTest, TitlesUpTo57CharactersStandInTheRule) {
  const std::string abort = "An error has occurred and this utility has aborted";
  EXPECT_EQ(banner_of(abort), "\n---[" + abort + "]---------\n\n");
  EXPECT_EQ(banner_of(std::string(57, 't')), "\n---[" + std::string(57, 't') + "]--\n\n");
  const std::string plain = "\n" + std::string(64, '-') + "\n\n";
  EXPECT_EQ(banner_of(std::string(58, 't')), plain);
  EXPECT_EQ(banner_of(std::string(5000, 't')), plain);  // cut to its buffer, never overrun
  EXPECT_EQ(banner_of(""), "\n---[]" + std::string(59, '-') + "\n\n");
}

TEST(LineListTest, EachLineAfterALineBreakAndOneMoreAtTheEnd) {
  const char* const lines[] = {"one", "", "three", nullptr};
  auto out = empty_stream();
  print_line_list(lines, out.get());
  EXPECT_EQ(contents_of(out.get()), "\none\n\nthree\n");

  const char* const brief[] = {"brief", nullptr};
  const char* const manual[] = {"manual", nullptr};
  struct Row {
    std::uint16_t help, verbose;
    std::string printed;
  };
  for (const Row& row : {Row{1, 0, "\nbrief\n"}, Row{1, 1, "\nmanual\n"}, Row{0, 1, ""},
                         Row{0, 0, ""}}) {
    auto help_out = empty_stream();
    print_help(brief, manual, row.help, row.verbose, help_out.get());
    EXPECT_EQ(contents_of(help_out.get()), row.printed);
  }
}

}  // namespace
}  // namespace kvr

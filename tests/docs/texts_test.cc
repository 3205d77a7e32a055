// The texts the program carries: their sizes, and what they claim about the program (every
// example file they show parses, every class ID they list resolves).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/console_text.h"
#include "support/harness.h"

namespace kvr {
namespace {

std::vector<std::string> lines_of(const char* const* list) {
  std::vector<std::string> lines;
  for (; *list != nullptr; ++list) lines.emplace_back(*list);
  return lines;
}

TEST(TextsTest, ExamplesAndClassIdsAreTheParsersOwn) {
  EXPECT_EQ(lines_of(kBriefHelpLines).size(), 27u);
  EXPECT_EQ(lines_of(kManualLines).size(), 244u);
  EXPECT_EQ(lines_of(kBriefInformationLines).size(), 46u);
  const std::vector<std::string> verbose = lines_of(kVerboseInformationLines);
  EXPECT_EQ(verbose.size(), 1049u);
  int files = 0;  // an indented file that begins with the label
  for (std::size_t i = 0, end = 0; i < verbose.size(); i = std::max(i + 1, end)) {
    if (!verbose[i].starts_with("    ;CFG-2.0")) continue;
    std::string text;
    for (end = i; end < verbose.size() && verbose[end].starts_with("    "); ++end) {
      text += verbose[end].substr(4) + "\n";
    }
    const testing::Parsed parsed = testing::parse_text(text, 2);
    EXPECT_EQ(parsed.status, 0) << "example at line " << i + 1;
    EXPECT_EQ(parsed.line, end - i) << "example at line " << i + 1;
    ++files;
  }
  EXPECT_GE(files, 20);
  int ids = 0;  // "  ID          - description"
  for (const std::string& line : lines_of(kBriefInformationLines)) {
    if (line.size() < 16 || line.compare(14, 2, "- ") != 0) continue;
    std::string id = line.substr(2, line.find(' ', 2) - 2);
    for (char& c : id) c = c == 'x' ? '1' : c;
    EXPECT_EQ(testing::parse_text(";CFG-2.0\n\"d\" " + id, 2).status, 0) << id;
    ++ids;
  }
  EXPECT_EQ(ids, 20);
}

}  // namespace
}  // namespace kvr

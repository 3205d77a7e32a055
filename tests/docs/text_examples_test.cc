// What the verbose information claims about the program, checked against the program: every
// example file it shows is accepted by the parser, every class ID it lists names the family it
// describes, the path numbers it prints are those the parser computes, and the error numbers it
// lists are the parser's.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "config/class_table.h"
#include "config/device_classes.h"
#include "config/parse_text.h"
#include "docs/doc_text.h"
#include "frontend/console_text.h"

namespace kvr {
namespace {

using testing::ExampleFile;
using testing::Lines;
using testing::Parsed;

const Lines kVerbose = testing::lines_of(kVerboseInformationLines);

Parsed parse(const ExampleFile& file) {
  return testing::parse_text(testing::joined(file.lines), 2);
}

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// An example file follows a line ending in "file:", after at most one empty line, indented by
// four spaces. Every indented block that begins with the label must be marked that way, so that
// no configuration shown escapes the parse.
TEST(DocsExamples, EveryExampleFileIsAcceptedWhole) {
  const std::vector<ExampleFile> files = testing::example_files(kVerbose);
  EXPECT_GE(files.size(), 25u);
  std::set<std::size_t> marked;
  for (const ExampleFile& file : files) {
    SCOPED_TRACE("example file after line " + std::to_string(file.intro_index + 1));
    ASSERT_FALSE(file.lines.empty()) << "a line ending in \"file:\" must introduce a file";
    const Parsed parsed = parse(file);
    EXPECT_EQ(parsed.status, 0);
    EXPECT_EQ(parsed.line, file.lines.size());  // read to its last line
    marked.insert({file.intro_index + 1, file.intro_index + 2});
  }
  for (std::size_t i = 1; i < kVerbose.size(); ++i) {
    if (kVerbose[i - 1].empty() && upper(kVerbose[i].substr(0, 12)) == "    ;CFG-2.0") {
      EXPECT_EQ(marked.count(i), 1u) << "unmarked file at line " << i + 1;
    }
  }
}

// The extra-options example holds a [UTILITY_HI_OPTIONS] whose first word stands in for the
// program name and whose other words select exactly one command.
TEST(DocsExamples, ExtraOptionsExampleHoldsAUsableOptionsVariable) {
  const std::vector<ExampleFile> files = testing::example_files(
      testing::section_body(kVerbose, "THE VARIABLES [RESET_OPTION], [PROBE_OPTION],"));
  ASSERT_FALSE(files.empty());
  const Parsed parsed = parse(files.front());
  int found = 0;
  for (const ConfigVariable& variable : parsed.model.variables) {
    if (variable.name != "UTILITY_HI_OPTIONS") continue;
    ++found;
    std::istringstream words(variable.value.substr(1, variable.value.size() - 2));
    std::string word;
    words >> word;
    EXPECT_NE(word.front(), '-') << "the first word is never examined";
    int commands = 0;
    while (words >> word) {
      const std::size_t at = word.rfind("-v", 0) == 0 ? 2 : 1;
      commands += word[0] == '-' && word.size() > at && word.find_first_of("gpa") == at;
    }
    EXPECT_EQ(commands, 1);
  }
  EXPECT_EQ(found, 1);
}

// The family lines ("  ID          - description") and the general ones ("  ID" in a 13-character
// column, then the description).
TEST(DocsExamples, EveryListedClassIdNamesTheFamilyItDescribes) {
  const FamilyTable& table = family_table_v2();
  std::set<std::uint32_t> rows;
  for (const std::string& line :
       testing::section_body(kVerbose, "THE SCAN PATH DESCRIPTION'S CLASS IDENTIFIERS")) {
    if (line.size() < 16 || line.rfind("  ", 0) != 0 || line[2] == ' ') continue;
    const std::size_t end = line.find(' ', 2);
    const std::string id = line.substr(2, end - 2);
    std::string description;
    if (line.compare(14, 2, "- ") == 0) {
      description = line.substr(16);
    } else if (end > 15 || line.find_first_not_of(' ', end) != 15) {
      continue;
    }
    SCOPED_TRACE(id);
    std::uint32_t row = kNoFamilyRow;
    ASSERT_EQ(find_family_row(upper(id).c_str(), &row, 2), 0);
    EXPECT_TRUE(rows.insert(row).second);
    EXPECT_EQ(std::string(table[row].type_name), id);
    // "... with an 8-bit JTAG IR" claims the row's IR length.
    const std::size_t bits = description.find("-bit JTAG IR");
    if (bits != std::string::npos) {
      const std::size_t digits = description.rfind(' ', bits) + 1;
      EXPECT_EQ(std::stoul(description.substr(digits, bits - digits)), table[row].ir_length);
    }
  }
  EXPECT_EQ(rows.size(), 25u);  // one line per row of the version 2 table
}

// The table under the linker example, "    device  path  ...  IR  IR-before  IR-after
// devices-before  devices-after", holds what the parser computes for that file.
TEST(DocsExamples, PathNumbersTableMatchesTheParser) {
  const Lines section = testing::section_body(kVerbose, "THE SCAN PATH DESCRIPTION");
  std::size_t header = 0;
  while (header < section.size() && section[header].rfind("    device  path", 0) != 0) ++header;
  ASSERT_LT(header, section.size());
  const ExampleFile* example = nullptr;
  const std::vector<ExampleFile> files = testing::example_files(section);
  for (const ExampleFile& file : files) {
    if (file.intro_index < header) example = &file;
  }
  ASSERT_NE(example, nullptr);
  const Parsed parsed = parse(*example);
  ASSERT_EQ(parsed.status, 0);
  std::map<std::string, DeviceRecord> by_name;
  for (std::size_t i = 0; i < parsed.model.devices.size(); ++i) {
    by_name[parsed.model.device_names[i].data()] = parsed.model.devices[i];
  }
  std::size_t rows = 0;
  for (std::size_t i = header + 2; i < section.size() && !section[i].empty(); ++i, ++rows) {
    SCOPED_TRACE(section[i]);
    std::istringstream row(section[i]);
    std::string name, word;
    row >> name;
    std::vector<std::uint32_t> numbers;
    while (row >> word) {
      if (std::isdigit(static_cast<unsigned char>(word[0]))) numbers.push_back(std::stoul(word));
    }
    ASSERT_GE(numbers.size(), 5u);
    ASSERT_EQ(by_name.count(name), 1u);
    const DeviceRecord& d = by_name[name];
    EXPECT_EQ(std::vector<std::uint32_t>(numbers.end() - 5, numbers.end()),
              (std::vector<std::uint32_t>{d.mainIR, d.preIR, d.posIR, d.preDR, d.posDR}));
  }
  EXPECT_EQ(rows, parsed.model.device_count);
}

// The error numbers listed in the introduction are those the parser returns, and no others.
TEST(DocsExamples, ErrorNumberListIsThatOfTheParser) {
  std::set<Status> listed;
  for (const std::string& line : testing::section_body(kVerbose, "THE INTRODUCTION")) {
    if (line.size() > 10 && line.rfind("    -", 0) == 0 && line.compare(8, 2, "  ") == 0) {
      listed.insert(-std::stoi(line.substr(5, 3)));
    }
  }
  EXPECT_EQ(listed,
            (std::set<Status>{-131, -248, -354, -356, -361, -362, -363, -364, -365, -370, -372,
                              -373, -374, -375, -380, -381, -383, -384, -386, -390, -391}));
}

}  // namespace
}  // namespace kvr

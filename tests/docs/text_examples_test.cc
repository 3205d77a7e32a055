// What the verbose and brief information claim about the program, checked against the program:
// every example file they show is accepted by the parser, every class ID they list names the
// family it describes, the path numbers they print are those the parser computes, and the error
// numbers they list are the parser's.
//
// An example file is marked in the text the way a reader expects one: the line before it ends in
// "file:", and the file follows, after at most one empty line, indented by four spaces.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/status.h"
#include "config/board_config_parser.h"
#include "config/class_table.h"
#include "config/device_classes.h"
#include "config/line_reader.h"
#include "database/board_model.h"
#include "docs/doc_text.h"
#include "frontend/console_text.h"
#include "support/test_files.h"

namespace kvr {
namespace {

using testing::ExampleFile;
using testing::Lines;
using testing::lines_of;

struct Parsed {
  Status status = 0;
  std::uint32_t line = 0;
  BoardModel model;
};

std::unique_ptr<Parsed> parse_version_2(const std::string& text) {
  auto parsed = std::make_unique<Parsed>();
  auto line = std::make_unique<LineState>();
  testing::UniqueFile stream = testing::stream_with(text);
  LineSource source;
  source.stream = stream.get();
  parsed->status = parse_board_config(parsed->model, *line, source, nullptr, &parsed->line, 2);
  return parsed;
}

std::string device_name(const DeviceName& name) {
  return std::string(name.data());
}

TEST(DocsExamples, EveryExampleFileIsAcceptedWhole) {
  const Lines lines = lines_of(kVerboseInformationLines);
  const std::vector<ExampleFile> files = testing::example_files(lines);
  EXPECT_GE(files.size(), 25u);
  for (const ExampleFile& file : files) {
    SCOPED_TRACE("example file after line " + std::to_string(file.intro_index + 1));
    ASSERT_FALSE(file.lines.empty()) << "a line ending in \"file:\" must introduce a file";
    const auto parsed = parse_version_2(testing::joined(file.lines));
    EXPECT_EQ(parsed->status, 0);
    // The parser read up to the file's last line, so nothing after an error was left unread.
    EXPECT_EQ(parsed->line, file.lines.size());
  }
}

// No configuration shown in the text escapes the check above: an indented block that begins with
// the label is always introduced as an example file.
TEST(DocsExamples, EveryLabelledBlockIsMarkedAsAnExampleFile) {
  const Lines lines = lines_of(kVerboseInformationLines);
  std::set<std::size_t> marked;
  for (const ExampleFile& file : testing::example_files(lines)) {
    std::size_t first = file.intro_index + 1;
    if (lines[first].empty()) ++first;
    marked.insert(first);
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool starts_block = lines[i].rfind("    ;", 0) == 0 && (i == 0 || lines[i - 1].empty());
    std::string label = lines[i].substr(0, std::min<std::size_t>(lines[i].size(), 12));
    for (char& c : label) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (starts_block && label == "    ;CFG-2.0") {
      EXPECT_EQ(marked.count(i), 1u) << "unmarked file at line " << i + 1;
    }
  }
}

// The introduction shows three files: the reset-only ones and a twelve-line file with variables and
// two devices.
TEST(DocsExamples, IntroductionShowsThreeFilesOneOfTwelveLinesWithTwoDevices) {
  const Lines lines = lines_of(kVerboseInformationLines);
  const Lines intro = testing::section_body(lines, "THE INTRODUCTION");
  const std::vector<ExampleFile> files = testing::example_files(intro);
  ASSERT_EQ(files.size(), 3u);
  int twelve_line_files = 0;
  for (const ExampleFile& file : files) {
    const auto parsed = parse_version_2(testing::joined(file.lines));
    ASSERT_EQ(parsed->status, 0);
    if (file.lines.size() == 12) {
      ++twelve_line_files;
      EXPECT_EQ(parsed->model.device_count, 2u);
      EXPECT_GT(parsed->model.variable_count, 0u);
    } else {
      EXPECT_EQ(parsed->model.device_count, 0u) << "a reset-only file has no scan path";
    }
  }
  EXPECT_EQ(twelve_line_files, 1);
}

// The extra-options section shows a file whose [UTILITY_HI_OPTIONS] starts with a stand-in for the
// program name and selects exactly one command.
TEST(DocsExamples, ExtraOptionsExampleHoldsAUsableOptionsVariable) {
  const Lines lines = lines_of(kVerboseInformationLines);
  const Lines section =
      testing::section_body(lines, "THE VARIABLES [RESET_OPTION], [PROBE_OPTION],");
  const std::vector<ExampleFile> files = testing::example_files(section);
  ASSERT_FALSE(files.empty());
  const auto parsed = parse_version_2(testing::joined(files.front().lines));
  ASSERT_EQ(parsed->status, 0);
  bool found = false;
  for (const ConfigVariable& variable : parsed->model.variables) {
    if (variable.name != "UTILITY_HI_OPTIONS") continue;
    found = true;
    ASSERT_GE(variable.value.size(), 2u);
    std::istringstream words(variable.value.substr(1, variable.value.size() - 2));
    std::string word;
    words >> word;
    EXPECT_NE(word.front(), '-') << "the first word is never examined";
    int commands = 0;
    while (words >> word) {
      if (word.size() >= 2 && word[0] == '-' && word.find_first_of("gpa") == 1) ++commands;
      if (word.size() >= 3 && word[0] == '-' && word[1] == 'v' && word.find_first_of("gpa") == 2) {
        ++commands;
      }
    }
    EXPECT_EQ(commands, 1);
  }
  EXPECT_TRUE(found);
}

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// A listed class ID: the family lines ("  ID          - description") and the general ones ("  ID"
// in a 13-character column, then the description).
struct Listed {
  std::string class_id;
  std::string description;
};

std::vector<Listed> listed_class_ids(const Lines& body) {
  std::vector<Listed> listed;
  for (const std::string& line : body) {
    if (line.size() < 16 || line.rfind("  ", 0) != 0 || line[2] == ' ') continue;
    const std::size_t end = line.find(' ', 2);
    const std::string id = line.substr(2, end - 2);
    if (line.compare(14, 2, "- ") == 0) {
      listed.push_back({id, line.substr(16)});
    } else if (end <= 15 && line.find_first_not_of(' ', end) == 15) {
      listed.push_back({id, line.substr(15)});
    }
  }
  return listed;
}

TEST(DocsExamples, EveryListedClassIdNamesTheFamilyItDescribes) {
  const Lines body = testing::section_body(lines_of(kVerboseInformationLines),
                                           "THE SCAN PATH DESCRIPTION'S CLASS IDENTIFIERS");
  const std::vector<Listed> listed = listed_class_ids(body);
  ASSERT_EQ(listed.size(), 25u);  // one line per row of the version 2 table
  const FamilyTable& table = family_table_v2();
  std::set<std::uint32_t> rows;
  for (const Listed& entry : listed) {
    SCOPED_TRACE(entry.class_id);
    std::uint32_t row = kNoFamilyRow;
    ASSERT_EQ(find_family_row(upper(entry.class_id).c_str(), &row, 2), 0);
    rows.insert(row);
    EXPECT_EQ(std::string(table[row].type_name), entry.class_id);
    // "... with an 8-bit JTAG IR" claims the row's IR length.
    const std::size_t bits = entry.description.find("-bit JTAG IR");
    if (bits != std::string::npos) {
      const std::size_t digits = entry.description.rfind(' ', bits) + 1;
      EXPECT_EQ(std::stoul(entry.description.substr(digits, bits - digits)), table[row].ir_length);
    }
  }
  EXPECT_EQ(rows.size(), 25u);
  // The general classes claim the rows of fixed role.
  const std::map<std::string, std::uint32_t> fixed = {{"GENERICnnn", kGenericRow},
                                                      {"BYPASSnnn", kBypassRow},
                                                      {"SPL", kLinkerRow},
                                                      {"ASPaaa", kPortRow}};
  for (const auto& [class_id, row] : fixed) {
    std::uint32_t found = kNoFamilyRow;
    EXPECT_EQ(find_family_row(class_id.c_str(), &found, 2), 0);
    EXPECT_EQ(found, row) << class_id;
  }
}

// The table of path numbers under the linker example is what the parser computes for that file:
// "    device  path  ...  IR  IR-before  IR-after  devices-before  devices-after".
TEST(DocsExamples, PathNumbersTableMatchesTheParser) {
  const Lines lines = lines_of(kVerboseInformationLines);
  const Lines section = testing::section_body(lines, "THE SCAN PATH DESCRIPTION");
  std::size_t header = 0;
  while (header < section.size() && section[header].rfind("    device  path", 0) != 0) ++header;
  ASSERT_LT(header, section.size());

  // The example file just before the table.
  const ExampleFile* example = nullptr;
  const std::vector<ExampleFile> files = testing::example_files(section);
  for (const ExampleFile& file : files) {
    if (file.intro_index < header) example = &file;
  }
  ASSERT_NE(example, nullptr);
  const auto parsed = parse_version_2(testing::joined(example->lines));
  ASSERT_EQ(parsed->status, 0);
  std::map<std::string, const DeviceRecord*> by_name;
  for (std::size_t i = 0; i < parsed->model.devices.size(); ++i) {
    by_name[device_name(parsed->model.device_names[i])] = &parsed->model.devices[i];
  }

  std::size_t rows = 0;
  for (std::size_t i = header + 2; i < section.size() && !section[i].empty(); ++i) {
    std::istringstream row(section[i]);
    std::string name;
    row >> name;
    std::vector<std::uint32_t> numbers;
    std::string word;
    while (row >> word) {
      if (std::isdigit(static_cast<unsigned char>(word[0]))) {
        numbers.push_back(static_cast<std::uint32_t>(std::stoul(word)));
      }
    }
    SCOPED_TRACE(section[i]);
    ASSERT_GE(numbers.size(), 5u);
    const std::vector<std::uint32_t> shown(numbers.end() - 5, numbers.end());
    ASSERT_EQ(by_name.count(name), 1u);
    const DeviceRecord& device = *by_name[name];
    EXPECT_EQ(shown, (std::vector<std::uint32_t>{device.mainIR, device.preIR, device.posIR,
                                                 device.preDR, device.posDR}));
    ++rows;
  }
  EXPECT_EQ(rows, parsed->model.device_count);
}

// The list of error numbers in the introduction names each status the parser can return, and
// nothing else.
TEST(DocsExamples, ErrorNumberListIsThatOfTheParser) {
  const Lines intro = testing::section_body(lines_of(kVerboseInformationLines), "THE INTRODUCTION");
  std::set<Status> listed;
  for (const std::string& line : intro) {
    if (line.size() > 10 && line.rfind("    -", 0) == 0 && line.compare(8, 2, "  ") == 0) {
      listed.insert(-std::stoi(line.substr(5, 3)));
    }
  }
  const std::set<Status> parser_statuses = {kStatusNoMemory,
                                            kStatusLabelMissing,
                                            kStatusUnexpectedEnd,
                                            kStatusLineTooLong,
                                            kStatusVariableNameTooLong,
                                            kStatusVariableNameEmpty,
                                            kStatusVariableNameInvalid,
                                            kStatusVariableNameDuplicate,
                                            kStatusValueInvalid,
                                            kStatusDeviceNotQuoted,
                                            kStatusDeviceNameEmpty,
                                            kStatusDeviceNameInvalid,
                                            kStatusDeviceNameDuplicate,
                                            kStatusDeviceNameTooLong,
                                            kStatusClassNotInSubpath,
                                            kStatusClassUnknownFamily,
                                            kStatusClassUnknown,
                                            kStatusClassTooLong,
                                            kStatusPortOnMainPath,
                                            kStatusIrLengthInvalid,
                                            kStatusBraceMisplaced};
  EXPECT_EQ(listed, parser_statuses);
}

// The limits that the text states, each checked on both sides against the parser.
TEST(DocsExamples, StatedLimitsHoldInTheParser) {
  struct Limit {
    const char* what;
    std::string text;
    Status status;
  };
  const std::string label = ";CFG-2.0\n";
  const Limit limits[] = {
      {"a line of 4134 characters", label + "[A] 1 ;" + std::string(4127, 'x') + "\n", 0},
      {"a line of 4135 characters", label + "[A] 1 ;" + std::string(4128, 'x') + "\n", -356},
      {"a variable name of 32", label + "[" + std::string(32, 'A') + "] 1\n", 0},
      {"a variable name of 33", label + "[" + std::string(33, 'A') + "] 1\n", -361},
      {"a device name of 8", label + "\"abcdefgh\" DBM\n", 0},
      {"a device name of 9", label + "\"abcdefghi\" DBM\n", -375},
      {"a bypass IR length of 0x400", label + "\"a\" BYPASS400\n", 0},
      {"a bypass IR length of 0x401", label + "\"a\" BYPASS401\n", -390},
      {"BYPASS8 on the main path", label + "\"a\" BYPASS8\n", -383},
      {"BYPASS8 in a group", label + "\"l\" SPL {\"a\" BYPASS8 } {} {} {}\n", 0},
      {"eight decimal digits", label + "[A] 99999999\n", 0},
      {"nine decimal digits", label + "[A] 123456789\n", -365},
      {"an octal 8", label + "[A] 08\n", -365},
      {"a string of 4096 with its quotes", label + "[A]\n'" + std::string(4094, 'x') + "'\n", 0},
      {"a string of 4097 with its quotes", label + "[A]\n'" + std::string(4095, 'x') + "'\n", -365},
      {"an ASP device on the main path", label + "\"p\" ASP001\n", -386},
      {"a value left out", label + "[A]\n[B] 1\n", -365},
  };
  for (const Limit& limit : limits) {
    EXPECT_EQ(parse_version_2(limit.text)->status, limit.status) << limit.what;
  }
}

}  // namespace
}  // namespace kvr

#include "frontend/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/alloc_failure.h"
#include "support/test_files.h"

namespace kvr {
namespace {

using testing::contents_of;
using testing::empty_stream;

// The settings that a command line decides, in one line that a table row can state.
std::string summary(const RunSettings& s) {
  std::string text;
  auto flag = [&](const char* name, std::uint16_t value) {
    if (value != 0) text += std::string(name) + " ";
  };
  flag("verbose", s.verbose);
  flag("help", s.help);
  flag("information", s.information);
  flag("extra", s.extra_options);
  flag("given", s.config_file_given);
  flag("redirect", s.redirect);
  if (s.generate != 0) text += "generate" + std::to_string(s.generate_version) + " ";
  if (s.parse != 0) text += "parse" + std::to_string(s.parse_version) + " ";
  flag("analyse", s.analyse);
  if (s.input_name) text += "in=" + *s.input_name + " ";
  if (s.output_name) text += "out=" + *s.output_name + " ";
  if (s.config_file_name != kDefaultConfigFile) text += "f=" + s.config_file_name + " ";
  if (!s.redirect_file_name.empty()) text += "o=" + s.redirect_file_name + " ";
  if (s.variable_tail != "OPTIONS") text += "tail=" + s.variable_tail + " ";
  if (!text.empty()) text.pop_back();
  return text;
}

struct Outcome {
  int status = 0;
  std::string settings;
  std::string errors;
  std::string out;
};

Outcome parse(const std::vector<std::string>& arguments) {
  std::vector<const char*> words = {"kvrbuild"};
  for (const std::string& argument : arguments) words.push_back(argument.c_str());
  words.push_back(nullptr);
  RunSettings settings;
  auto errors = empty_stream();
  auto out = empty_stream();
  Outcome outcome;
  outcome.status = parse_command_line(settings, static_cast<int>(words.size() - 1), words.data(),
                                      errors.get(), out.get());
  outcome.settings = summary(settings);
  outcome.errors = contents_of(errors.get());
  outcome.out = contents_of(out.get());
  return outcome;
}

struct Row {
  std::vector<std::string> words;
  int status;
  std::string settings;  // checked when the status is 0
  std::string errors = "";
  std::string out = "";
};

const std::string kInvalid = "Error: KVRBUILD has invalid arguments.\n";
const std::string kMustUse = "Error: one of `-h/-e/-i/-g/-p/-a' must be used.\n";
const std::string kOnlyOne = "Error: Only one of `-h/-e/-i/-g/-p/-a' may be used.\n";
const std::string kTooMany = "Error: Too many arguments.\n";

TEST(CommandLineTest, AcceptedCommandLinesGiveTheirSettings) {
  const std::vector<Row> rows = {
      {{}, 0, "help"},
      {{"-v"}, 0, "help"},  // implied help clears verbose
      {{"-vh"}, 0, "verbose help"},
      {{"/?", "/v"}, 0, "verbose help"},
      {{"-vi"}, 0, "verbose information"},
      {{"-v", "-i"}, 0, "verbose information"},
      {{"/v", "/i"}, 0, "verbose information"},
      {{"-g", "2", "a.cfg", "b.dat"}, 0, "generate2 in=a.cfg out=b.dat"},
      {{"-g1", "a.cfg"}, 0, "generate1 in=a.cfg out=.\\board.dat"},
      {{"-g2"}, 0, "generate2 in=.\\board.cfg out=.\\board.dat"},
      {{"-g1", "-g2"}, 0, "generate2 in=.\\board.cfg out=.\\board.dat"},
      {{"-p1"}, 0, "parse1 in=.\\board.cfg"},
      {{"-p2", "FILE.CFG"}, 0, "parse2 in=file.cfg"},
      {{"-a"}, 0, "analyse in=.\\board.dat"},
      {{"-e", "board.cfg"}, 0, "extra tail=OPTIONS_board.cfg"},
      {{"-etest1"}, 0, "extra tail=OPTIONS_test1"},
      {{"-ea", "-eb"}, 0, "extra tail=OPTIONS_a_b"},
      {{"-e", std::string(24, 's')}, 0, "extra tail=OPTIONS_" + std::string(24, 's')},
      {{"-h", "one", "two", "three"}, 0, "help in=one out=two"},
      {{"-e", "-f", "my.cfg", "a.cfg", "b.dat"}, 0, "extra given in=a.cfg out=b.dat f=my.cfg"},
      {{"-e", "-f", "my"}, 0, "extra given f=my.cfg"},
      {{"-f", "my.dir\\board", "-h"}, 0, "help given f=my.dir\\board.cfg"},
      {{"-g2", "--", "-x.cfg"}, 0, "generate2 in=-x.cfg out=.\\board.dat"},
      {{"-p2", "-"}, 0, "parse2 in=-"},
      {{"-p2", "/"}, 0, "parse2 in=/"},
      {{"-o", "log", "-h"}, 0, "help redirect o=log.txt"},
      {{"-olog", "-o", "-h"}, 0, "help redirect o=log.txt"},  // -o alone keeps the earlier name
      {{"-o", "report.out", "-a"}, 0, "redirect analyse in=.\\board.dat o=report.out"},
      {{"-vo"}, 0, "help redirect"},  // verbose dropped by the implied help
      {{"-f", std::string(260, 'c'), "-h"}, 0, "help given f=" + std::string(260, 'c') + ".cfg"},
  };
  for (const Row& row : rows) {
    Outcome outcome = parse(row.words);
    std::string context = "words:";
    for (const std::string& word : row.words) context += " [" + word + "]";
    SCOPED_TRACE(context);
    EXPECT_EQ(outcome.status, row.status);
    EXPECT_EQ(outcome.settings, row.settings);
    EXPECT_EQ(outcome.errors, "");
    EXPECT_EQ(outcome.out, "");
  }
}

TEST(CommandLineTest, RefusedCommandLinesGiveTheirMessageOnTheirStream) {
  const std::string dat_version = "choice of `board.dat' format version";
  const std::string cfg_version = "choice of `board.cfg' format version";
  const std::vector<Row> rows = {
      {{"-V"}, 1, "", kInvalid, ""},
      {{"-H"}, 1, "", kInvalid, ""},
      {{"-x"}, 1, "", kInvalid, ""},
      {{"/x"}, 1, "", kInvalid, ""},
      {{"-v-"}, 1, "", kInvalid, ""},
      {{"-\xc3\xbc"}, 1, "", kInvalid, ""},
      {{"-o", "/tmp/x"}, 1, "", kInvalid, ""},
      {{"-g", "a.cfg", "b.dat"},
       1,
       "",
       "Error: The " + dat_version + " for option -g is invalid. It must be 1 or 2.\n",
       ""},
      {{"-g"}, 1, "", "Error: The " + dat_version + " for option -g is absent.\n", ""},
      {{"-g", "-v"}, 1, "", "Error: The " + dat_version + " for option -g is absent.\n", ""},
      {{"-gv"},
       1,
       "",
       "Error: The " + dat_version + " for option -g is invalid. It must be 1 or 2.\n",
       ""},
      {{"-p"}, 1, "", "Error: The " + cfg_version + " for option -p is absent.\n", ""},
      {{"-p3"},
       1,
       "",
       "Error: The " + cfg_version + " for option -p is invalid. It must be 1 or 2.\n",
       ""},
      {{"-p", ""},
       1,
       "",
       "Error: The " + cfg_version + " for option -p is invalid. It must be 1 or 2.\n",
       ""},
      {{"-e", "-f"}, 1, "", "Error: The configure-file name for option -f is absent.\n", ""},
      {{"-f", std::string(261, 'c')},
       1,
       "",
       "Error: The configure-file name for option -f too long.\n",
       ""},
      {{"-e", std::string(25, 's')},
       1,
       "",
       "Error: The configure variable name selected by option -e is too long.\n",
       ""},
      {{"-l"},
       1,
       "",
       "Error: The option -l has been replaced by the '-i' and\n'-vi' options that provide brief "
       "and verbose information\nabout version two format of board configuration files.",
       ""},
      {{"a.cfg"}, 1, "", "", kMustUse},
      {{""}, 1, "", "", kMustUse},
      {{"-v", "a.cfg"}, 1, "", "", kMustUse},
      {{"-g2", "-p2"}, 1, "", "", kOnlyOne},
      {{"-h", "-i"}, 1, "", "", kOnlyOne},
      {{"-e", "-a"}, 1, "", "", kOnlyOne},
      {{"-a", "one.dat", "two.dat"}, 1, "", "", kTooMany},
      {{"-p2", "a", "b"}, 1, "", "", kTooMany},
      {{"-g2", "a", "b", "c"}, 1, "", "", kTooMany},
      {{"-i", "x"}, 1, "", "", kTooMany},
      {{"-g2", "A.CFG", "a.cfg"}, 1, "", "", "Error: The filenames cannot be identical.\n"},
      {{"-g2", ".\\board.cfg", ".\\board.cfg"},
       1,
       "",
       "",
       "Error: The filenames cannot be identical.\n"},
  };
  for (const Row& row : rows) {
    Outcome outcome = parse(row.words);
    std::string context = "words:";
    for (const std::string& word : row.words) context += " [" + word.substr(0, 30) + "]";
    SCOPED_TRACE(context);
    EXPECT_EQ(outcome.status, row.status);
    EXPECT_EQ(outcome.errors, row.errors);
    EXPECT_EQ(outcome.out, row.out);
  }
}

TEST(CommandLineTest, GenerateRefusesTwoNamesOfOneExistingFile) {
  testing::TempDir folder;
  testing::write_file(folder.file("x.cfg"), ";CFG-2.0\n");
  // Absolute names begin with '/', which would start an option: "--" ends the options first.
  Outcome outcome = parse({"-g2", "--", folder.file("x.cfg"), folder.path() + "/./x.cfg"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "Error: The filenames cannot be identical.\n");
  // A name that does not exist yet is a different file.
  EXPECT_EQ(parse({"-g2", "--", folder.file("x.cfg"), folder.file("y.dat")}).status, 0);
}

TEST(CommandLineTest, EveryByteAsAnOptionLetterIsAcceptedOrRefusedInWords) {
  for (int c = 1; c < 256; ++c) {
    const std::string letter(1, static_cast<char>(c));
    Outcome outcome = parse({"-" + letter});
    const bool accepted = std::string("vh?eiao-").find(static_cast<char>(c)) != std::string::npos;
    EXPECT_EQ(outcome.status, accepted ? 0 : 1) << c;
    if (!accepted) {
      EXPECT_FALSE(outcome.errors.empty()) << c;
    }
  }
  // A very long word is only a file name.
  Outcome long_name = parse({"-p2", std::string(100000, 'N')});
  EXPECT_EQ(long_name.status, 0);
  EXPECT_EQ(long_name.settings, "parse2 in=" + std::string(100000, 'n'));
}

TEST(CommandLineTest, RefusedMemoryEndsTheParseSilently) {
  const char* words[] = {"kvrbuild", "-f", "my", "-g2", "A.cfg", "B.dat", nullptr};
  auto errors = empty_stream();
  auto out = empty_stream();
  std::int16_t status = -131;
  for (std::size_t allowed = 0; status == -131; ++allowed) {
    RunSettings settings;
    {
      testing::AllocationFailureAfter failure(allowed);
      status = parse_command_line(settings, 6, words, errors.get(), out.get());
    }
    ASSERT_LT(allowed, 100u);
  }
  EXPECT_EQ(status, 0);
  EXPECT_EQ(contents_of(errors.get()), "");
  EXPECT_EQ(contents_of(out.get()), "");
}

TEST(CommandLineTest, ScannerDeliversGroupsAndSubArguments) {
  struct ScanRow {
    std::vector<std::string> words;
    std::string expected;  // letter(sub-argument) ... | index of the first file name
  };
  const std::vector<ScanRow> rows = {
      {{"-vh"}, "v h |2"},         {{"/vi", "x"}, "v i |2"},
      {{"-g2", "a"}, "g(2) |2"},   {{"-g", "2", "a"}, "g(2) |3"},
      {{"-vg", "-a"}, "v g a |3"}, {{"-etest1"}, "e(test1) |2"},
      {{"-xv"}, "x |2"},  // an unknown letter ends its group
      {{"--", "-v"}, "|2"},        {{"//", "-v"}, "|2"},
      {{"-", "-v"}, "|1"},         {{"a", "-v"}, "|1"},
      {{"-ov"}, "o(v) |2"},
  };
  for (const ScanRow& row : rows) {
    std::vector<const char*> words = {"prog"};
    for (const std::string& word : row.words) words.push_back(word.c_str());
    OptionScanner scanner;
    std::uint32_t index = 0;
    int letter = 0;
    const char* sub = nullptr;
    std::string seen;
    while (next_option(scanner, static_cast<int>(words.size()), words.data(), kOptionLetters,
                       &letter, &sub, &index) != 0) {
      seen += static_cast<char>(letter);
      if (sub != nullptr) seen += std::string("(") + sub + ")";
      seen += " ";
    }
    seen += "|" + std::to_string(index);
    EXPECT_EQ(seen, row.expected) << row.words[0];
  }
}

TEST(CommandLineTest, DefaultExtensionIsAddedOnlyToNamesWithoutOne) {
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"board", "board.cfg"},
      {"my.dir\\board", "my.dir\\board.cfg"},
      {"my.dir/board", "my.dir/board.cfg"},
      {"board.", "board."},
      {"board.txt", "board.txt"},
      {"", ".cfg"},
  };
  for (const auto& [name, expected] : rows) {
    std::string text = name;
    add_default_extension(text, ".cfg");
    EXPECT_EQ(text, expected) << name;
  }
  std::string bare = "log";
  add_default_extension(bare, "txt");
  EXPECT_EQ(bare, "log.txt");
}

TEST(CommandLineTest, SecondParseStartsFromWhatTheFirstLeft) {
  RunSettings settings;
  auto errors = empty_stream();
  auto out = empty_stream();
  const char* first[] = {"kvrbuild", "-e", "-f", "my.cfg", "a.cfg", "b.dat", nullptr};
  ASSERT_EQ(parse_command_line(settings, 6, first, errors.get(), out.get()), 0);
  settings.extra_options = 0;  // withdrawn before the second parse
  const char* second[] = {"kvrbuild", "-v", "-g1", "x", nullptr};
  ASSERT_EQ(parse_command_line(settings, 4, second, errors.get(), out.get()), 0);
  EXPECT_EQ(summary(settings), "verbose given generate1 in=x out=b.dat f=my.cfg");
}

}  // namespace
}  // namespace kvr

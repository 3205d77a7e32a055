// Whole runs of both programs that must leave every file as they found it, or make only what they
// say they make: a redirection onto a file the run uses, whichever option names it; outputs that
// cannot be written; inputs that are no files. Each row gives the files before the run, the files
// after it byte for byte, the exit status and the line of the message that says why.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "base/file_open.h"
#include "support/harness.h"
#if defined(KVR_VIEW_PATH)
#include "support/view_run.h"
#endif

namespace kvr {
namespace {

namespace fs = std::filesystem;

// A file's text, or what it is instead: "->TARGET" a symbolic link, "|" a named pipe. Names are
// relative to the sandbox, the current folder of the runs, so that a path may be as long as the
// system takes from there.
using Files = std::map<std::string, std::string>;
constexpr const char* kAbsent = "(absent)";

std::string state_of(const std::string& name) {
  std::error_code error;
  const fs::file_status link = fs::symlink_status(name, error);
  if (!fs::exists(link)) return kAbsent;
  if (fs::is_symlink(link)) return "->" + fs::read_symlink(name).string();
  if (fs::is_fifo(link)) return "|";
  std::ifstream file(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void make(const Files& files) {
  for (const auto& [name, state] : files) {
    if (const fs::path folder = fs::path(name).parent_path(); !folder.empty()) {
      fs::create_directories(folder);
    }
#if !defined(_WIN32)
    if (state.starts_with("->")) {
      fs::create_symlink(state.substr(2), name);
      continue;
    }
    if (state == "|") {
      ASSERT_EQ(mkfifo(name.c_str(), 0600), 0);
      continue;
    }
#endif
    std::ofstream(name, std::ios::binary) << state;
  }
}

struct Row {
  bool kvrview;
  std::vector<std::string> words;
  Files before;
  int exit_status;
  std::string says;  // what standard output or standard error says
  Files after = {};  // what differs from `before`: a file's new text, or kAbsent
};

const std::string kBoard = ";CFG-2.0\n\"a\" DBM\n";
std::string options(const std::string& words) {
  return ";CFG-2.0\n[UTILITY_HI_OPTIONS] '" + words + "'\n";
}
const std::string kClash = "The file is one that this run reads or writes.";
const std::string kParsed =
    "\n---[Parse a (text format) configuration file]" + std::string(19, '-') +
    "\n\nThe configure file will now be parsed.\nThe configure file is named: `in.cfg'.\nFor "
    "line-by-line output use the "
    "verbose option `-v'.\n\nThe configure file has been successfully parsed.\n";

TEST(FileSafetyTest, NoRunDamagesOrRemovesWhatItDidNotMake) {
  const std::string dat = testing::write_bytes(testing::parse_text(kBoard, 2).model, 2);
  std::string long_name;  // about 4,000 characters, in folders of 200
  for (int k = 0; k < 20; ++k) long_name += std::string(199, 'd') + "/";
  long_name += "board.dat";
#if defined(_WIN32)
  const bool posix = false;
#else
  const bool posix = fs::exists("/dev/full");
#endif
#if defined(KVR_VIEW_PATH)
  const std::string dot = [] {
    testing::Sandbox box;
    box.write("in.cfg", kBoard);
    return testing::kvrview({"in.cfg"}).out;
  }();
#else
  const std::string dot;
#endif
  // clang-format off
  std::vector<Row> rows = {
      // The redirection file is compared with the files the run uses once the extra options are
      // in: a -o among them does not hide the file that standard output already goes to.
      {false, {"-o", "x", "-e", "-f", "opt.cfg"},
       {{"in.cfg", kBoard}, {"opt.cfg", options("kvrbuild -o other -g2 in.cfg x.txt")}}, 1, kClash},
      {false, {"-v", "-o", "x", "-e", "-f", "opt.cfg"},  // a file the run made goes again
       {{"in.cfg", kBoard}, {"opt.cfg", options("kvrbuild -o other -g2 in.cfg x.txt")}}, 1, kClash},
      {false, {"-o", "x", "-e", "-f", "opt.cfg"},
       {{"x.txt", "old\n"}, {"in.cfg", kBoard}, {"opt.cfg", options("k -o other -g2 in.cfg x.txt")}},
       1, kClash},
      {false, {"-o", "in", "-e", "-f", "opt.cfg"},
       {{"in.txt", kBoard}, {"opt.cfg", options("kvrbuild -o other -p2 in.txt")}}, 1, kClash},
      {false, {"-o", "in", "-e", "-f", "opt.cfg"},  // the variable's -o redirects nothing
       {{"in.cfg", kBoard}, {"opt.cfg", options("kvrbuild -o in.cfg -p2 in.cfg")}}, 0, "",
       {{"in.txt", kParsed}}},
      // An output file that is any of the files read is refused before anything is written.
      {true, {"--import", "a.cfg", "b.cfg", "-o", "b.cfg"}, {{"a.cfg", "x"}, {"b.cfg", "y"}}, 2,
       "kvrview: the output file `b.cfg' is the input file"},
      // A file too short to be recognised is described as such, not as a short database.
      {true, {"--check", "s.cfg"}, {{"s.cfg", "\"a\" DBM"}}, 1,
       "s.cfg: error: not recognised as a board configuration file or a board database: it holds "
       "7 bytes, and a board file is recognised by its first 8 (a version 2 file begins with the "
       "label `;CFG-2.0' or `;DAT-2.0')"},
      {true, {"m.dat"}, {{"m.dat", ";DAT-2.0" + testing::words({0x01000008, 0, 12, 0, 0})}}, 1,
       "m.dat: error: not recognised as a board configuration file or a board database: Database "
       "label without version 2 [-240]"},
      {true, {"-o", "no/x.dot", "in.cfg"}, {{"in.cfg", kBoard}}, 1,
       "kvrview: cannot write `no/x.dot': No such file or directory"},
  };
  if (posix) {
    rows.insert(rows.end(), {
      // A database back to text needs no temporary folder and no short path. (Under wine a file
      // is reached by its absolute path, which the host bounds at 4,096 bytes with the build's.)
      {true, {"--cfg", long_name}, {{long_name, dat}}, 0,
       "database `..." + long_name.substr(long_name.size() - 197) + "'.\n; `kvrbuild -g2' compiles"},
      // Output that cannot be written is said to be lost; the path it went to stays as it was.
      {false, {"-o", "full", "-h"}, {{"full.txt", "->/dev/full"}}, 1,
       "kvrbuild: the redirection file `full.txt' could not be written"},
      {false, {"-o", "full", "-g2", "in.cfg", "o.dat"}, {{"in.cfg", kBoard}, {"full.txt", "->/dev/full"}},
       1, "kvrbuild: the redirection file `full.txt' could not be written", {{"o.dat", dat}}},
      {true, {"-o", "full", "--cfg", "in.dat"}, {{"in.dat", dat}, {"full", "->/dev/full"}}, 1,
       "kvrview: cannot write `full': No space left on device"},
      // A file to be written keeps its own name, and a link that leads nowhere makes its target.
      {true, {"-o", "X.dot", "in.cfg"}, {{"in.cfg", kBoard}, {"x.dot", "old"}}, 0, "", {{"X.dot", dot}}},
      {true, {"-o", "x.dot", "in.cfg"}, {{"in.cfg", kBoard}, {"x.dot", "->made.dot"}}, 0, "",
       {{"made.dot", dot}}},
      // A board configuration file that can be read only once is refused, never waited for.
      {false, {"-e", "-f", "f.cfg"}, {{"f.cfg", "|"}}, 1,
       "file is a pipe, a device or a socket, which this"},
      {false, {"-e"}, {{"board.cfg", "|"}}, 1, "`.\\board.cfg' is a pipe, a device or a socket, which this"},
    });
  }
  // clang-format on
  for (const Row& row : rows) {
    testing::Sandbox box;
    make(row.before);
    testing::RunResult run;
    if (row.kvrview) {
#if defined(KVR_VIEW_PATH)
      run = testing::kvrview(row.words);
#else
      continue;
#endif
    } else {
      run = box.run(row.words);
    }
    const std::string said = (row.words.front() + " " + row.words.back()).substr(0, 60);
    EXPECT_EQ(run.exit_status, row.exit_status) << said << "\n" << run.out << run.err;
    if (!row.says.empty()) {
      EXPECT_NE((run.out + run.err).find(row.says), std::string::npos) << said << "\n"
                                                                       << run.out << run.err;
    }
    Files expected = row.before;
    for (const auto& [name, state] : row.after) expected[name] = state;
    for (const char* made : {"x.txt", "other.txt", "in.txt", "o.dat", "x.dot", "made.dot"}) {
      if (!expected.contains(made)) expected[made] = kAbsent;
    }
    for (const auto& [name, state] : expected) {
      std::string now = state_of(name);
#if defined(_WIN32)
      if (name.ends_with(".txt")) std::erase(now, '\r');
#endif
      EXPECT_EQ(now, state) << said << ": " << name.substr(0, 40);
    }
  }
}

// A pipe or a device is read into a copy within a bound, and says so when it brings more.
TEST(FileSafetyTest, ACopyOfAPipeSaysWhyItCouldNotBeMade) {
  const std::string bytes(100, 'x');
  OpenedFile copy = copy_to_temporary(testing::stream_with(bytes).release(), 100);
  ASSERT_NE(copy.stream, nullptr);
  EXPECT_EQ(testing::contents_of(copy.stream), bytes);
  std::fclose(copy.stream);
  copy = copy_to_temporary(testing::stream_with(bytes).release(), 99);
  EXPECT_EQ(copy.stream, nullptr);
  EXPECT_EQ(copy.reason,
            "this pipe or device brought more than 99 bytes, more than any board file holds");
}

}  // namespace
}  // namespace kvr

// Data safety of whole runs: no failing command writes to any file it was given to read, -o only
// ever appends, and generate refuses an output that is its input under another name.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "support/run_binary.h"
#include "support/test_files.h"

namespace kvr {
namespace {

using testing::read_file;
using testing::run_kvrbuild;
using testing::RunResult;
using testing::TempDir;
using testing::write_file;

const std::string kGoodConfig = ";CFG-2.0\n[UTILITY_HI_OPTIONS] 'x -p2 bad.cfg'\n\"a\" QVARM9xx\n";
const std::string kBadConfig = ";CFG-2.0\n\"a\" QVARM9xx\n\"b\" NOPE\n";
// An empty version 2 database, and the same cut short inside its control section.
const std::string kDatabase = std::string(";DAT-2.0\x08\0\0\x02", 12) + std::string(4, '\0') +
                              std::string("\x0c\0\0\0", 4) + std::string(8, '\0');
const std::string kTruncated = kDatabase.substr(0, 20);

// Every file of the folder with its bytes; each gets an old modification time, so that any write,
// even one of the same bytes, shows.
struct Snapshot {
  std::map<std::string, std::string> bytes;
  std::map<std::string, long> mtimes;
};

const std::map<std::string, std::string> kInputs = {{"board.cfg", kGoodConfig},
                                                    {"bad.cfg", kBadConfig},
                                                    {"board.dat", kDatabase},
                                                    {"trunc.dat", kTruncated}};

Snapshot prepare(const TempDir& folder) {
  Snapshot snapshot;
  for (const auto& [name, bytes] : kInputs) {
    write_file(folder.file(name), bytes);
    const timespec old_times[2] = {{1000000000, 0}, {1000000000, 0}};
    EXPECT_EQ(utimensat(AT_FDCWD, folder.file(name).c_str(), old_times, 0), 0);
    snapshot.bytes[name] = bytes;
    snapshot.mtimes[name] = 1000000000;
  }
  return snapshot;
}

void expect_untouched(const TempDir& folder, const Snapshot& before, const std::string& what) {
  for (const auto& [name, bytes] : before.bytes) {
    struct stat info {};
    ASSERT_EQ(stat(folder.file(name).c_str(), &info), 0) << what << ": " << name;
    EXPECT_EQ(read_file(folder.file(name)), bytes) << what << ": " << name;
    EXPECT_EQ(info.st_mtim.tv_sec, before.mtimes.at(name)) << what << ": " << name;
  }
}

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += word + " ";
  return text;
}

TEST(DataSafetyTest, FailingCommandsNeverWriteToTheirInputs) {
  const std::vector<std::vector<std::string>> rows = {
      {"-p2", "bad.cfg"},                          // syntax error
      {"-vp2", "bad.cfg"},                         // syntax error, echoed
      {"-g2", "bad.cfg", "out.dat"},               // syntax error while generating
      {"-g1", "board.cfg", "out.dat"},             // configuration of the other version
      {"-g2", "board.dat", "out.dat"},             // a database given to generate
      {"-p2", "board.dat"},                        // a database given to parse
      {"-a", "board.cfg"},                         // a configuration given to analyse
      {"-va", "trunc.dat"},                        // a database that ends too early
      {"-g2", "board.cfg", "folder"},              // an output that cannot be opened
      {"-g2", "board.cfg", "missing/out.dat"},     // an output in a missing folder
      {"-o", "logdir", "-p2", "bad.cfg"},          // a redirection file that cannot be opened
      {"-o", "log", "-g2", "bad.cfg", "out.dat"},  // redirected, then a syntax error
      {"-e", "-f", "board.cfg"},                   // extra options that select a bad parse
      {"-e", "-f", "bad.cfg"},                     // extra options from a bad file
      {"-g2", "board.cfg", "board.cfg"},           // output named like the input
      {"-g2", "board.dat", "BOARD.DAT"},
  };
  for (const std::vector<std::string>& words : rows) {
    TempDir folder;
    const Snapshot before = prepare(folder);
    ASSERT_EQ(mkdir(folder.file("folder").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(folder.file("logdir.txt").c_str(), 0755), 0);
    run_kvrbuild(words, folder.path());
    expect_untouched(folder, before, joined(words));
  }
}

TEST(DataSafetyTest, RedirectionOnlyAppends) {
  TempDir folder;
  const Snapshot before = prepare(folder);
  const std::string earlier = "earlier content\nwithout a final newline";
  write_file(folder.file("log.txt"), earlier);
  std::string expected_prefix = earlier;
  const std::vector<std::vector<std::string>> runs = {{"-o", "log", "-p2", "board.cfg"},
                                                      {"-o", "log", "-p2", "bad.cfg"},
                                                      {"-o", "log.txt", "-va", "board.dat"},
                                                      {"-o", "log", "-a", "trunc.dat"}};
  for (const std::vector<std::string>& words : runs) {
    run_kvrbuild(words, folder.path());
    const std::string log = read_file(folder.file("log.txt"));
    EXPECT_GT(log.size(), expected_prefix.size()) << joined(words);
    EXPECT_EQ(log.substr(0, expected_prefix.size()), expected_prefix) << joined(words);
    expected_prefix = log;
  }
  expect_untouched(folder, before, "redirected runs");
}

TEST(DataSafetyTest, GenerateRefusesItsInputUnderAnotherName) {
  for (const std::string output : {"board.cfg", "./board.cfg", ".\\board.cfg", "BOARD.CFG",
                                   "Board.Cfg", "sub/../board.cfg", "link.cfg", "hard.cfg"}) {
    TempDir folder;
    const Snapshot before = prepare(folder);
    ASSERT_EQ(mkdir(folder.file("sub").c_str(), 0755), 0);
    ASSERT_EQ(symlink("board.cfg", folder.file("link.cfg").c_str()), 0);
    ASSERT_EQ(link(folder.file("board.cfg").c_str(), folder.file("hard.cfg").c_str()), 0);
    const RunResult result = run_kvrbuild({"-g2", "board.cfg", output}, folder.path());
    EXPECT_EQ(result.exit_status, 1) << output;
    EXPECT_EQ(result.out, "Error: The filenames cannot be identical.\n") << output;
    expect_untouched(folder, before, output);
  }
}

}  // namespace
}  // namespace kvr

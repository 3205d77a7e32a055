// The boundary of an imported OpenOCD script: which files it reaches, through every form of a
// path; how each limit ends it, run with small limits; and how its top level and its sourced files
// end, judged by the real OpenOCD.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

#include "bridge/chain_import.h"
#include "support/view_run.h"

namespace kvr {
namespace {

namespace fs = std::filesystem;
using testing::kvrview;

constexpr char kNoJim[] = "this kvrview is built without Jim Tcl: no OpenOCD script is read";
constexpr char kTap[] = "jtag newtap a b -irlen 4\n";

#if !defined(_WIN32)
// A pipe that holds `text` and then ends, by its name under /dev/fd.
std::string pipe_holding(const std::string& text, std::vector<int>& descriptors) {
  int ends[2];
  if (::pipe(ends) != 0) return "";
  EXPECT_EQ(::write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
  ::close(ends[1]);
  descriptors.push_back(ends[0]);
  return "/dev/fd/" + std::to_string(ends[0]);
}
#endif

// In the scratch folder: the script in inside/, a TAP in inside/lib/ok.tcl, a marker TAP in
// outside/marker.tcl that only a --search folder may open, and links each way.
TEST(SandboxTest, AScriptOpensOnlyFilesWhoseRealPathLiesInItsFolders) {
#if defined(_WIN32)
  GTEST_SKIP() << kNoJim;
#else
  testing::Sandbox sandbox;
  if (!testing::reads_tcl()) GTEST_SKIP() << kNoJim;
  sandbox.write("inside/lib/ok.tcl", "jtag newtap lib ok -irlen 4\n");
  sandbox.write("outside/marker.tcl", "jtag newtap leaked marker -irlen 4\n");
  const std::string inside = sandbox.path("inside"), outside = sandbox.path("outside");
  fs::create_symlink(outside + "/marker.tcl", inside + "/file_link.tcl");
  fs::create_directory_symlink(outside, inside + "/folder_link");
  fs::create_symlink(inside + "/lib/ok.tcl", outside + "/back.tcl");
  std::vector<int> descriptors = {::open((outside + "/marker.tcl").c_str(), O_RDONLY)};
  const std::string held = std::to_string(descriptors[0]);
  const struct {
    std::string script;
    bool from_pipe;  // the script is read from a pipe, which has no folder of its own
    std::vector<std::string> search;
    std::string tap;  // the TAP sourced, or empty when the script must be refused
  } rows[] = {
      {"source lib/ok.tcl", false, {}, "lib.ok"},
      {"source {lib\\ok.tcl}", false, {}, "lib.ok"},
      {"source " + inside + "/lib/../lib/ok.tcl", false, {}, "lib.ok"},
      {"source " + outside + "/back.tcl", false, {}, "lib.ok"},  // its real path lies inside
      {"source [find marker.tcl]", false, {outside}, "leaked.marker"},
      {"source lib/ok.tcl", true, {inside}, "lib.ok"},
      {"source ../outside/marker.tcl", false, {}, ""},
      {"source {..\\outside\\marker.tcl}", false, {}, ""},
      {"source " + outside + "/marker.tcl", false, {}, ""},
      {"source file_link.tcl", false, {}, ""},
      {"source folder_link/marker.tcl", false, {}, ""},
      {"source [find ../outside/marker.tcl]", false, {}, ""},
      {"source /proc/self/environ", false, {}, ""},
      {"source /dev/fd/" + held, false, {}, ""},
      {"source " + held, true, {}, ""},  // in /dev/fd, were that the pipe's folder
      {"source ../outside/marker.tcl", true, {inside}, ""},
  };
  for (const auto& row : rows) {
    const std::string script = std::string(kTap) + row.script + "\n";
    sandbox.write("inside/s.tcl", script);
    std::vector<std::string> words = {"--import", "-o", "out.cfg"};
    for (const std::string& folder : row.search) words.insert(words.end(), {"--search", folder});
    words.push_back(row.from_pipe ? pipe_holding(script, descriptors) : "inside/s.tcl");
    const testing::RunResult run = kvrview(words);
    if (!row.tap.empty()) {
      EXPECT_EQ(run.exit_status, 0) << row.script << run.err;
      EXPECT_NE(sandbox.read("out.cfg").find("; " + row.tap + "\n"), std::string::npos)
          << row.script;
    } else {
      EXPECT_EQ(run.exit_status, 1) << row.script;
      EXPECT_NE(run.err.find("' is in none of the folders a script may read: "), std::string::npos)
          << row.script << run.err;
      EXPECT_EQ(run.err.find("leaked"), std::string::npos) << row.script << run.err;
      EXPECT_FALSE(fs::exists("out.cfg")) << row.script;
    }
    fs::remove("out.cfg");
  }
  // find tells a file outside that exists from one that does not by nothing but its name.
  const auto answer = [&](const std::string& name) {
    sandbox.write("inside/s.tcl", std::string(kTap) + "find ../outside/" + name + "\n");
    std::string line = kvrview({"--import", "inside/s.tcl"}).err;
    line = line.substr(0, line.find('\n'));
    return line.replace(line.find(name), name.size(), "NAME");
  };
  EXPECT_EQ(answer("marker.tcl"), answer("nothere.tcl"));
  for (const int descriptor : descriptors) ::close(descriptor);
#endif
}

// The output of an import is never a file the import read, under any of its names: the run is
// refused with exit status 2 and the file left byte for byte; an input that cannot be read is
// refused with the system's reason, an endless one as soon as it passes the largest file.
TEST(SandboxTest, AnImportWritesOverNoFileItReadAndSaysWhyAnInputCannotBeRead) {
#if defined(_WIN32)
  GTEST_SKIP() << kNoJim;
#else
  testing::Sandbox sandbox;
  if (!testing::reads_tcl()) GTEST_SKIP() << kNoJim;
  // OpenOCD scripts are often named .cfg, as the board.cfg an import writes is.
  const std::string helper = "jtag newtap h c -irlen 5\n";
  sandbox.write("lib/h.cfg", helper);
  sandbox.write("m.cfg", std::string(kTap) + "source [find lib/h.cfg]\n");
  sandbox.write("f.cfg", std::string(kTap) + "set name [find lib/h.cfg]\n");
  fs::create_symlink(sandbox.path("lib/h.cfg"), sandbox.path("link.cfg"));
  fs::create_directory(sandbox.path("folder"));
  const std::string sourced = "', a file the import read\n";
  std::vector<int> descriptors;
  const struct {
    std::vector<std::string> words;
    int status;
    std::string message;  // the end of the first line of standard error, or empty
  } rows[] = {
      {{"-o", "m.cfg", "m.cfg"}, 2, "the output file `m.cfg' is the input file\n"},
      {{"-o", "lib/h.cfg", "m.cfg"}, 2, sourced},
      {{"-o", "link.cfg", "m.cfg"}, 2, sourced},
      {{"-o", "./lib/../lib/h.cfg", "m.cfg"}, 2, sourced},
      {{"-o", "lib/h.cfg", "f.cfg"}, 2, sourced},  // found, not sourced
      {{"-o", "out.cfg", "m.cfg"}, 0, ""},
      {{"-o", "out.cfg", pipe_holding(std::string(kTap), descriptors)}, 0, ""},
      {{"/dev/zero"}, 1, "it holds more than 64 MiB, the most a file an import reads may hold\n"},
      {{"folder"}, 1, "cannot read `folder': Is a directory\n"},
  };
  for (const auto& row : rows) {
    std::vector<std::string> words = {"--import"};
    words.insert(words.end(), row.words.begin(), row.words.end());
    const testing::RunResult run = kvrview(words);
    const std::string line = run.err.substr(0, run.err.find('\n') + 1);
    EXPECT_EQ(run.exit_status, row.status) << row.words.back() << run.err;
    EXPECT_TRUE(line.ends_with(row.message)) << row.words.back() << run.err;
    EXPECT_EQ(sandbox.read("lib/h.cfg"), helper) << row.words.front();
    EXPECT_EQ(fs::exists("out.cfg"), row.status == 0) << row.words.back();
    fs::remove("out.cfg");
  }
  for (const int descriptor : descriptors) ::close(descriptor);
#endif
}

// Each row a script that must end at a limit with its error at the command it ran, or at none
// (`FILE: error:') when no command ran before; the limits are small so that the table is quick.
TEST(SandboxTest, EveryLimitEndsTheScriptWithItsErrorAtTheCommandItRan) {
  testing::Sandbox sandbox;
  if (!testing::reads_tcl()) GTEST_SKIP() << kNoJim;
  const std::string kName = "a command name may not hold the byte 1";
  const std::string kSteps = "the script runs longer than 20", kSize = "the result would pass";
  const std::string kMemory = "the script uses more memory than it may";
  const std::string kArguments = "the command's arguments pass the memory a script may use";
  // Either of the two memory errors: which one ends the script depends on the heap the child starts
  // with.
  const std::string kEitherMemory = "memory";
  const std::string kTime = "the script runs longer than its time allows";
  const std::string kStack = "the script nests deeper than the stack of its evaluation allows";
  const std::string nested = std::string(100'000, '[') + "list" + std::string(100'000, ']');
  const std::string tap = kTap;
  std::string dollars;
  for (int i = 0; i < 100; ++i) dollars += "$x";
  const struct {
    std::string text, where, message;
  } rows[] = {
      // The step command cannot be replaced or removed, under any name Jim would find it by.
      {tap + "proc \"\\x01step\" args {}\nproc f {} {tailcall f}\nf", "2:1", kName},
      {tap + "rename \\x01step {}\nwhile 1 {}", "2:1", kName},
      {tap + "alias \\x01step list", "2:1", kName},
      {tap + "proc p {} { local format %cstep 1 }\np", "2:1", kName},
      {tap + "proc ::\\x01step args {}", "2:1", kName},
      {tap + "apply {{} {proc \\x01step args {}} ns}", "2:1", kName},
      // Steps.
      {tap + "while 1 {}", "2:1", kSteps},
      {"proc f {} {tailcall f}\nf\n", "1:1", kSteps},
      // Results measured before they are made, under any abbreviation.
      {tap + "set x [string repe ab 100000000000]", "2:1", kSize},
      {tap + "string repe x 2000000000", "2:1", kSize},
      {"lrepeat 100000000000 a", "1:1", kSize},
      {"set l [lrepeat 30 [string repeat a 1000000]]\njoin $l", "2:1", kSize},
      {tap + "string map [list a [string repeat b 1000]] [string repeat a 100000]", "2:1", kSize},
      {tap + "regsub -all a [string repeat a 100000] [string repeat b 1000]", "2:1", kSize},
      {tap + "format %200000000s x", "2:1", kSize},
      {tap + "format %2000000000s x", "2:1", kSize},
      // Memory spent inside one command, or in Jim's substitution of a command's words, which
      // stands at the command before.
      {tap + "set x a\nwhile 1 {append x $x $x}", "3:1", kArguments},
      {tap + "set x [string repeat x 1000000]\nforeach i [lrepeat 40 0] { append x $x }", "3:1",
       kEitherMemory},
      {tap + "set x [string repeat a 1000000]\nset y \"" + dollars + "\"", "2:1", kMemory},
      {tap + "set s [string repeat a 1000000]\nstring length [lrepeat 100 $s]", "3:1", kMemory},
      // Jim's parser copies each level, no command runs, and the memory or the time it takes,
      // whichever runs out first on the machine, ends it.
      {nested, "", kMemory + "|" + kTime},
      // Time spent inside one command.
      {tap + "regexp {^(a|a)*b$} [string repeat a 40]", "2:1", kTime},
      {tap + "string match [string repeat *a 20]b [string repeat a 200]", "2:1", kTime},
      {tap + "switch -glob [string repeat a 200] [string repeat *a 20]b {}", "2:1", kTime},
      {tap + "lsearch -glob [list [string repeat a 200]] [string repeat *a 20]b", "2:1", kTime},
      {tap + "lsearch -regexp [list [string repeat a 40]] {^(a|a)*b$}", "2:1", kTime},
      // The stack spent inside one command.
      {tap + "regexp [string repeat ( 100000]a[string repeat ) 100000] a", "2:1", kStack},
      {tap + "string match [string repeat *a 1000000] [string repeat a 1000000]", "2:1", kStack},
  };
  ImportSettings settings;
  // Under valgrind, which runs a script many times slower, the time limit is that of a real run
  // and its rows are left to the runs without it.
  const bool slow = testing::under_valgrind();
  settings.limits = {20'000, 4, std::size_t{16} << 20, slow ? 10.0 : 0.5, slow ? 30.0 : 10.0};
  for (const auto& row : rows) {
    if (slow && row.message == kTime) continue;
    // Under valgrind the child's address space and stack are valgrind's own.
    const bool system_limit =
        row.message.starts_with(kMemory) || row.message == kEitherMemory || row.message == kStack;
    if (system_limit && testing::under_valgrind()) continue;
    sandbox.write("s.tcl", row.text);
    ImportResult result;
    std::string problem;
    EXPECT_EQ(import_board({"s.tcl"}, settings, result, problem), Outcome::kFailed) << row.text;
    const std::string head = "s.tcl:" + row.where + (row.where.empty() ? "" : ":") + " error: ";
    EXPECT_EQ(problem.rfind(row.where.empty() ? "s.tcl: error: " : head, 0), 0u)
        << row.text.substr(0, 200) << "\n"
        << problem;
    const std::size_t bar = row.message.find('|');  // either of two messages
    EXPECT_TRUE(problem.find(row.message.substr(0, bar)) != std::string::npos ||
                (bar != std::string::npos &&
                 problem.find(row.message.substr(bar + 1)) != std::string::npos))
        << row.text.substr(0, 200) << problem;
  }
}

struct Ended {
  bool ok = false;
  std::string taps;  // in the order declared, as jtag names lists them
};

// OpenOCD's own evaluation of the files `named` in the current folder, in their order, with its
// dummy adapter.
Ended openocd_ends(const std::vector<std::string>& named, int& status) {
#if defined(_WIN32)
  static_cast<void>(named);
  status = -1;
  return {};
#else
  std::string command = "openocd -c 'adapter driver dummy' -c 'transport select jtag'";
  for (const std::string& file : named) command += " -f " + file;
  command += " -c 'echo \"TAPS: [jtag names]\"' -c shutdown 2>&1";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  std::string output;
  char block[4096];
  for (std::size_t got; (got = std::fread(block, 1, sizeof block, pipe)) > 0;) {
    output.append(block, got);
  }
  status = ::pclose(pipe);
  Ended ended;
  const std::size_t taps = output.find("TAPS: ");
  ended.ok = status == 0 && taps != std::string::npos;
  if (ended.ok) ended.taps = output.substr(taps + 6, output.find('\n', taps) - taps - 6);
  return ended;
#endif
}

Ended kvrview_ends(const std::vector<std::string>& named) {
  ImportResult result;
  std::string problem;
  Ended ended;
  ended.ok = import_board(named, ImportSettings{}, result, problem) == Outcome::kDone;
  for (auto tap = result.chain.rbegin(); tap != result.chain.rend(); ++tap) {
    ended.taps += (ended.taps.empty() ? "" : " ") + full_name(*tap);
  }
  return ended;
}

// The same scripts in OpenOCD and in kvrview: each row a top.cfg and the files it sources, and a
// next.cfg named after it where the row holds one (openocd -f top.cfg -f next.cfg); both end with
// the same TAPs, in the same order, or both with an error.
TEST(SandboxTest, AScriptAndItsSourcedFilesEndAsInOpenocd) {
  testing::Sandbox sandbox;
  if (!testing::reads_tcl()) GTEST_SKIP() << kNoJim;
  if (std::system("openocd --version > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "no openocd is installed to judge the scripts";
  }
  const std::string tap = kTap, late = "jtag newtap a late -irlen 4\n";
  const std::map<std::string, std::string> common = {
      {"common.tcl", "if {[info exists ::loaded]} { return }\nset ::loaded 1\n" + tap},
      {"f1.tcl", "source [find common.tcl]\njtag newtap f1 t -irlen 4\n"},
      {"f2.tcl", "source [find common.tcl]\njtag newtap f2 t -irlen 4\n"},
      {"f3.tcl", "source [find common.tcl]\njtag newtap f3 t -irlen 4\n"}};
  const std::vector<std::map<std::string, std::string>> rows = {
      {{"top.cfg", tap + "return\n" + late}},
      {{"top.cfg", tap + "return -code error boom\n" + late}},
      {{"top.cfg", tap + "break\n" + late}},
      {{"top.cfg", tap + "continue\n" + late}},
      {{"top.cfg", tap + "return -code 5 x\n" + late}},
      {{"top.cfg", tap + "exit\n" + late}},
      {{"top.cfg", "source s.tcl\n" + late}, {"s.tcl", tap + "return\njtag newtap a x -irlen 4\n"}},
      {{"top.cfg", "source s.tcl\n" + late}, {"s.tcl", tap + "return -code error inner\n"}},
      {{"top.cfg", "catch {source s.tcl}\n" + late}, {"s.tcl", tap + "error inner\n"}},
      {{"top.cfg", "proc p {} { source s.tcl; jtag newtap a c -irlen 4 }\np\n" + late},
       {"s.tcl", tap + "return -level 2 x\n"}},
      {{"top.cfg", "proc p {} { source s.tcl; jtag newtap a c -irlen 4 }\np\n" + late},
       {"s.tcl", tap + "return -code return x\n"}},
      {{"top.cfg", "foreach i {1 2} { source s.tcl; jtag newtap a c$i -irlen 4 }\n" + late},
       {"s.tcl", tap + "break\n"}},
      {{"top.cfg", "source s.tcl\n" + late}, {"s.tcl", tap + "continue\n"}},
      // An include guard: the common file's TAP once, then each file's own.
      {{"top.cfg", "source [find f1.tcl]\nsource [find f2.tcl]\nsource [find f3.tcl]\n"}},
      // Two files named evaluate in one interpreter, in their order: its variables and its include
      // guard hold from one to the next, and the first that fails ends the evaluation.
      {{"top.cfg", "set ::chip first\n" + tap}, {"next.cfg", "jtag newtap $::chip t -irlen 3\n"}},
      {{"top.cfg", "source [find f1.tcl]\n"}, {"next.cfg", "source [find f2.tcl]\n" + late}},
      {{"top.cfg", tap + "break\n"}, {"next.cfg", late}},
      {{"top.cfg", "source [find target/zynq_7000.cfg]\n"},
       {"next.cfg", "source [find target/stm32f4x.cfg]\n"}},
  };
  int index = 0;
  for (const auto& files : rows) {
    const std::string folder = sandbox.path("row" + std::to_string(++index));
    fs::create_directory(folder);
    fs::current_path(folder);
    for (const auto& [name, text] : common) std::ofstream(name) << text;
    for (const auto& [name, text] : files) std::ofstream(name) << text;
    std::vector<std::string> named = {"top.cfg"};
    if (files.count("next.cfg") != 0) named.push_back("next.cfg");
    int status = 0;
    const Ended openocd = openocd_ends(named, status);
    const Ended imported = kvrview_ends(named);
    EXPECT_EQ(imported.ok, openocd.ok) << files.at("top.cfg") << "OpenOCD's status " << status;
    EXPECT_EQ(imported.taps, openocd.ok ? openocd.taps : "") << files.at("top.cfg");
  }
  fs::current_path(sandbox.path(""));
}

}  // namespace
}  // namespace kvr

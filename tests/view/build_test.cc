// kvrview as a build step and as a Unix tool: --build against the bytes of the built kvrbuild and
// the database it must leave alone, the warnings of every mode, --diff on pairs of boards, and
// the command line's refusals, did-you-means and per-mode usage.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/view_run.h"

namespace kvr {
namespace {

namespace fs = std::filesystem;
using testing::kvrview;

const std::string kExamples = KVR_SOURCE_DIR "/examples/";
constexpr const char* kOld = "the database that was there";

// What the built kvrbuild program writes for `file` with -g1 or -g2.
std::string kvrbuild_database(const testing::Sandbox& sandbox, const std::string& file,
                              int version) {
  fs::remove("kvrbuild.dat");
  const std::string command = std::string(KVR_BUILD_PATH) + " -g" + std::to_string(version) +
                              " -- " + file + " kvrbuild.dat > kvrbuild.log";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return sandbox.read("kvrbuild.dat");
}

// The entries of the current folder but those named, so that a leftover temporary file shows.
std::vector<std::string> others(const std::vector<std::string>& known) {
  std::vector<std::string> found;
  for (const fs::directory_entry& entry : fs::directory_iterator(".")) {
    const std::string name = entry.path().filename().string();
    if (std::find(known.begin(), known.end(), name) == known.end()) found.push_back(name);
  }
  return found;
}

// Each mistake of a newcomer's board.cfg stops `kvrview --build b.cfg' (the Makefile rule
// `board.dat: board.cfg ; kvrview --build $< -o $@') with exit status 1 and its reason, and the
// database that was there stays byte for byte with its permissions; a build that succeeds writes
// exactly what the built kvrbuild writes, in the version of the file's label.
TEST(BuildTest, ABuildWritesKvrbuildsBytesOrLeavesTheDatabaseAsItWas) {
  testing::Sandbox sandbox;
  const std::string v2 = sandbox.read(kExamples + "board.cfg");
  const std::string v1 = sandbox.read(kExamples + "board_v1.cfg");
  const std::string prefix = ";CFG-2.0\n\"dsp\" QV740K88\n";
  constexpr const char* kMissing = "(missing)";
  const struct {
    std::string text;
    std::vector<std::string> options;
    int exit_status;
    std::string says;  // a part of standard error; empty when it must be empty
  } rows[] = {
      {v2, {}, 0, ""},
      {v1, {"--v1"}, 0, ""},
      {"\"dsp\" QV740K88xx\n\"arm\" QVARM901\n",
       {},
       1,
       "b.cfg:1:1: error: the file does not begin with the label `;CFG-2.0', so it would be read "
       "as "
       "a version 1 board configuration\n\"dsp\" QV740K88xx\n^\n"},
      {"\xEF\xBB\xBF" + v2, {}, 1, "(a UTF-8 byte-order mark stands before it)"},
      {" ;cfg-2.0\n\"a\" DBM\n", {}, 1, "(a blank stands before it)"},
      {"", {}, 1, "b.cfg: error: not recognised as a board configuration file or a board database"},
      {kMissing, {}, 1, "kvrview: cannot open `b.cfg'"},
      {";CFG-2.0\n[VORTA_ECOM_DRVER] 'x'\n", {}, 1, "[-Werror=unknown-variable]"},
      {prefix, {}, 1, "error: class ID `QV740K88' is taken as QV740K8x (8 IR bits)"},
      {";CFG-2.0\n[VORTA_SIZE_IRPATH] 40\n\"dsp\" QV740K88xx\n", {}, 1, "[-Werror=path-size]"},
      {";CFG-2.0\r\"dsp\" QV740K88xx\r", {}, 1, "[-Werror=cr-line-ends]"},
      {";CFG-2.0\n\"a\" DBM\n\"A\" DBM\n", {}, 1, "error: Device name used twice [-374]"},
      {v2, {"--v1"}, 1, "makes this a version 2 file, where --v1 asks for version 1"},
      // A warning kept a warning, or a check turned off, lets the build go on.
      {prefix, {"-Wno-error"}, 0, "b.cfg:2:7: warning: class ID `QV740K88'"},
      {prefix, {"-Wno-error=class-id-prefix"}, 0, "[-Wclass-id-prefix]"},
      {prefix + "[VORTA_ECOM_DRVER] 'x'\n",
       {"-Wno-error=class-id-prefix"},
       1,
       "[-Werror=unknown-variable]"},
      {prefix, {"-Wno-class-id-prefix"}, 0, ""},
      {prefix, {"--quiet"}, 0, ""},
  };
  for (const auto& row : rows) {
    fs::remove("b.cfg");
    if (row.text != kMissing) sandbox.write("b.cfg", row.text);
    sandbox.write("b.dat", kOld);
#if !defined(_WIN32)
    fs::permissions("b.dat",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
    std::vector<std::string> words = {"--build"};
    words.insert(words.end(), row.options.begin(), row.options.end());
    words.push_back("b.cfg");
    const testing::RunResult run = kvrview(words);
    const std::string said = row.text.substr(0, 30);
    EXPECT_EQ(run.exit_status, row.exit_status) << said << "\n" << run.err;
    if (row.says.empty()) {
      EXPECT_EQ(run.err, "") << said;
    } else {
      EXPECT_NE(run.err.find(row.says), std::string::npos) << said << "\n" << run.err;
    }
    EXPECT_EQ(run.out, "");
    const int version = row.text.starts_with(";CFG-2.0") ? 2 : 1;
    EXPECT_EQ(sandbox.read("b.dat"), row.exit_status == 0
                                         ? kvrbuild_database(sandbox, "b.cfg", version)
                                         : std::string(kOld))
        << said;
#if !defined(_WIN32)
    EXPECT_EQ(fs::status("b.dat").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
    EXPECT_EQ(others({"b.cfg", "b.dat", "kvrbuild.dat", "kvrbuild.log"}),
              std::vector<std::string>())
        << said;
  }
  // Random boards of both versions, their warnings kept warnings, and the database on standard
  // output.
  for (unsigned seed = 1; seed <= 12; ++seed) {
    const int version = 1 + static_cast<int>(seed % 2);
    sandbox.write("r.cfg", testing::generate_board(seed, static_cast<std::uint8_t>(version)).text);
    std::vector<std::string> words = {"--build", "-Wno-error", "-o", "-", "r.cfg"};
    if (version == 1) words.insert(words.begin() + 1, "--v1");
    const testing::RunResult run = kvrview(words);
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out, kvrbuild_database(sandbox, "r.cfg", version)) << seed;
  }
}

// Every mode that reads a board.cfg says its warnings on standard error before its work, makes
// nothing when -Werror makes one an error, and says nothing with --quiet.
TEST(BuildTest, EveryModeThatReadsABoardCfgWarns) {
  testing::Sandbox sandbox;
  sandbox.write("b.cfg", ";CFG-2.0\n\"dsp\" QV740K88\n\"arm\" QVARM901\n");
  const std::string warning =
      "b.cfg:2:7: warning: class ID `QV740K88' is taken as QV740K8x (8 IR bits), but it begins "
      "like QV740K88xx (38 IR bits) with its last 2 characters missing [-Wclass-id-prefix]\n";
  const std::vector<std::string> modes[] = {
      {},          {"--json"},          {"--openocd"},          {"--svf", "arm"}, {"--group"},
      {"--check"}, {"--diff", "b.cfg"}, {"--build", "-o", "-"}, {"--serve"},
  };
  for (const std::vector<std::string>& mode : modes) {
    const std::string said = mode.empty() ? "the drawing" : mode.front();
    for (const char* option : {"", "-Werror", "--quiet"}) {
      std::vector<std::string> words = mode;
      if (*option != '\0') words.emplace_back(option);
      words.emplace_back("b.cfg");
      if (said == "--serve" && std::string(option) != "-Werror") continue;  // it would serve
      const testing::RunResult run = kvrview(words);
      if (std::string(option) == "--quiet") {
        EXPECT_EQ(run.err.find("warning"), std::string::npos) << said << "\n" << run.err;
      } else if (std::string(option) == "-Werror" || said == "--build") {  // its default
        EXPECT_EQ(run.exit_status, said == "--diff" ? 2 : 1) << said;
        EXPECT_TRUE(run.err.starts_with("b.cfg:2:7: error: class ID `QV740K88'")) << run.err;
        EXPECT_EQ(run.out, "") << said;
      } else {
        EXPECT_TRUE(run.err.starts_with(warning)) << said << "\n" << run.err;
      }
    }
  }
}

// Boards compared as boards, whichever kind of file each is: one difference a line, exit status 0
// for the same board, 1 when they differ, 2 when a board cannot be read.
TEST(DiffTest, TwoBoardsDifferInTheirVariablesDevicesAndPaths) {
  testing::Sandbox sandbox;
  const std::string v2 = sandbox.read(kExamples + "board.cfg");
  sandbox.write("v2.cfg", v2);
  sandbox.write("v1.cfg", sandbox.read(kExamples + "board_v1.cfg"));
  sandbox.write("v2.dat", kvrbuild_database(sandbox, "v2.cfg", 2));
  sandbox.write("v1.dat", kvrbuild_database(sandbox, "v1.cfg", 1));
  const auto changed = [&](const std::string& from, const std::string& to) {
    std::string text = v2;
    return text.replace(text.find(from), from.size(), to);
  };
  sandbox.write("moved.cfg",
                changed("\"fpga\"    BYPASS006", "\"arm_d\" QVARM903") + "\"fpga\" BYPASS006\n");
  sandbox.write("class.cfg", changed("\"arm_a\"   QVARM901", "\"arm_a\"   QVARM905"));
  sandbox.write("ir.cfg", changed("BYPASS006", "BYPASS008"));
  sandbox.write("variable.cfg", changed("[POD_PORT]            0x378", ""));
  sandbox.write("sub.cfg", changed("\"dsp_c\" QV740K8802", "") + "\"dsp_c\" QV740K8802\n");
  const struct {
    std::string a, b;
    int exit_status;
    std::string lines;
  } pairs[] = {
      {"v2.cfg", "v2.dat", 0, ""},
      {"v1.dat", "v1.cfg", 0, ""},
      {"v2.dat", "moved.cfg", 1,
       "device arm_d added: main#1, QVARM903 (0x8103), IR 4\n"
       "device fpga moved: main#1 -> main#6\n"
       "path main: 5 devices, 60 IR bits -> 6 devices, 64 IR bits\n"},
      {"v2.cfg", "class.cfg", 1, "device arm_a class: QVARM901 (0x8101) -> QVARM905 (0x8105)\n"},
      {"v2.dat", "ir.cfg", 1,
       "device fpga class: 0x2006 -> BYPASS008 (0x2008)\n"
       "device fpga IR: 6 -> 8\n"
       "path main: 5 devices, 60 IR bits -> 5 devices, 62 IR bits\n"},
      {"v2.cfg", "variable.cfg", 1, "variable [POD_PORT] removed: 0x378\n"},
      {"sub.cfg", "v2.dat", 1,
       "device dsp_c moved: main#6 -> link:0#2\n"
       "path main: 6 devices, 98 IR bits -> 5 devices, 60 IR bits\n"
       "path link:0: 1 device, 38 IR bits -> 2 devices, 76 IR bits\n"},
      {"v1.cfg", "v2.cfg", 1, "version: 1 -> 2\n"},
      {"v2.cfg", "none.cfg", 2, ""},
  };
  for (const auto& pair : pairs) {
    const testing::RunResult run = kvrview({"--diff", pair.a, pair.b});
    EXPECT_EQ(run.exit_status, pair.exit_status) << pair.a << " " << pair.b << "\n" << run.err;
    if (pair.b == "v2.cfg") {
      EXPECT_TRUE(run.out.starts_with(pair.lines)) << run.out;
    } else {
      EXPECT_EQ(run.out, pair.lines) << pair.a << " " << pair.b;
    }
  }
  // A device that leaves the order of those around it is moved; the others stay.
  const std::string in_order = "\"arm_a\"   QVARM901\n\"arm_b\"   QVARM902";
  sandbox.write("swapped.cfg", changed(in_order, "\"arm_b\"   QVARM902\n\"arm_a\"   QVARM901"));
  EXPECT_EQ(kvrview({"--diff", "v2.cfg", "swapped.cfg"}).out,
            "device arm_b moved: main#5 -> main#4\n");
}

// The command line speaks as Unix tools do: an output its mode cannot write is refused with the
// extensions it can, an unknown option gets the option it was probably meant to be, a mode's
// --help gives that mode's usage, and a picture too large to lay out says what to do instead.
TEST(BuildTest, TheCommandLineRefusesWhatItCannotDoAndSaysWhatItCan) {
  testing::Sandbox sandbox;
  const std::string board = kExamples + "board.cfg";
  std::string large = ";CFG-2.0\n";
  for (int i = 0; i < 2001; ++i) large += "\"d" + std::to_string(i) + "\" BYPASS006\n";
  sandbox.write("large.cfg", large);
  const struct {
    std::vector<std::string> words;
    int exit_status;
    std::string says;  // a part of what the run says, on standard output for status 0
  } rows[] = {
      {{"-o", "out.jpg", board},
       2,
       "-o out.jpg: the scan path is written as DOT (.dot, .gv) or drawn as .png, .pdf or .svg, "
       "not .jpg"},
      {{"--json", "-o", "out.txt", board}, 2, "--json writes .json, not .txt"},
      {{"--svg", "out.png", board}, 2, "the picture is drawn as .svg, not .png"},
      {{"--build", board, "-o", "out.cfg"}, 2, "--build writes a board database (.dat), not .cfg"},
      {{"--chekc", board}, 2, "unknown option `--chekc'; did you mean `--check'?"},
      {{"--diff", board}, 2, "--diff compares two boards: give it two input files"},
      {{"--v1", board}, 2, "--v1 goes with --build only"},
      {{"--cfg", "--quiet", board}, 2, "--quiet silences the warnings of a board.cfg"},
      {{"--check", "--help"}, 0, "Usage: kvrview --check [-W...] board.cfg\n"},
      {{"--svf", "--help"}, 0, "Usage: kvrview --svf DEVICE"},
      {{"--help", "--build"}, 0, "kvrview --build $< -o $@\n"},
      {{"--svg", "out.svg", "large.cfg"},
       1,
       "large.cfg: a picture of 2001 nodes and 0 linkers is more than kvrview draws"},
      {{"--svg", "out.svg", "large.cfg"}, 1, "--group draws each run of like devices as one node"},
  };
  for (const auto& row : rows) {
    const testing::RunResult run = kvrview(row.words);
    const std::string said = row.words.front() + " " + row.words.back();
    EXPECT_EQ(run.exit_status, row.exit_status) << said << "\n" << run.err;
    EXPECT_NE((row.exit_status == 0 ? run.out : run.err).find(row.says), std::string::npos)
        << said << "\n"
        << run.out << run.err;
    EXPECT_EQ(others({"large.cfg"}), std::vector<std::string>()) << said;
  }
}

}  // namespace
}  // namespace kvr

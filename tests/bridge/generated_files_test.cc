// The files the bridge generates hold what they say and nothing else, whatever names and file
// names they are made from: every board.cfg of --import passes the built kvrbuild's -p2 with one
// device for each TAP in the chain; every OpenOCD script of --openocd, sourced by the real
// OpenOCD, declares exactly the board's TAPs, or is refused, and imports back to the board's
// devices, linkers and sub-paths; every SVF of --svf is two comment lines and its four commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#if !defined(_WIN32)
#include <sys/wait.h>
#endif

#include "support/view_run.h"

namespace kvr {
namespace {

using testing::kvrview;

// The exit status of a command of the system's shell, its output and errors in the file `output'.
int run_program(const std::string& command, const std::string& output) {
  const int status = std::system((command + " > " + output + " 2>&1").c_str());
#if defined(_WIN32)
  return status;
#else
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

// Under valgrind a chain of a million TAPs would take many minutes.
bool at_full_speed() {
  const char* preload = std::getenv("LD_PRELOAD");
  return preload == nullptr || std::string(preload).find("vgpreload") == std::string::npos;
}

const char kTableHead[] =
    "   TapName             Enabled  IdCode     Expected   IrLen IrCap IrMask\n"
    "-- ------------------- -------- ---------- ---------- ----- ----- ------\n";

// A scan_chain table of TAPs in the chain, listed from TDO, named by `name' from their number.
template <typename Name>
std::string table_of(std::size_t rows, Name name) {
  std::string table = kTableHead;
  for (std::size_t i = 0; i < rows; ++i) {
    table += " " + std::to_string(i) + " " + name(i) + " Y 0x0 0x0 4 0x1 0xf\n";
  }
  return table;
}

std::string bsdl(const std::string& entity) {
  return "entity " + entity + " is\n  attribute INSTRUCTION_LENGTH of " + entity +
         " : entity is 8;\nend " + entity + ";\n";
}

struct Import {
  const char* what;
  std::map<std::string, std::string> files;  // the first one or all of them imported
  bool all_files;
  std::size_t devices;
  bool needs_tcl;
};

std::vector<Import> imports() {
  std::vector<Import> cases;
  Import bsdl_files{"a header naming 180 BSDL files of long names", {}, true, 180, false};
  for (int i = 0; i < 180; ++i) {
    const std::string n = std::to_string(i);
    bsdl_files.files["a_bsdl_file_whose_long_name_fills_much_of_a_line_by_itself_" + n + ".bsd"] =
        bsdl("an_entity_whose_name_is_longer_than_a_device_name_" + n);
  }
  cases.push_back(std::move(bsdl_files));
  cases.push_back({"a TAP of a 5,000-character name in the chain and one left out",
                   {{"t.txt", std::string(kTableHead) + " 0 " + std::string(5000, 'c') +
                                  ".t Y 0x0 0x0 4 0x1 0xf\n 1 " + std::string(5000, 'd') +
                                  ".u n 0x0 0x0 4 0x1 0xf\n"}},
                   false,
                   1,
                   false});
  cases.push_back(
      {"names that hold line ends, a carriage return, Ctrl-Z, a zero byte, `\\' and braces",
       {{"a.tcl",
         "jtag newtap [string repeat c 5000] t -irlen 4\n"
         "jtag newtap \"a\\nb\" \"c\\rd\\x1a\\x00\" -irlen 5\n"
         "jtag newtap \"x\\\\\" \"\\{\" -irlen 6 -disable\n"
         "jtag newtap \"\\}\\n\" \"\\\\\" -irlen 7\n"}},
       false,
       3,
       true});
  cases.push_back({"20,000 nine-character names sharing a prefix, each twice",
                   {{"t.txt", table_of(40000,
                                       [](std::size_t i) {
                                         return "p.abcd" + std::to_string(10000 + i % 20000);
                                       })}},
                   false,
                   40000,
                   false});
  if (at_full_speed()) {
    cases.push_back({"1,000,001 TAPs that reduce to one name",
                     {{"t.txt", table_of(1000001, [](std::size_t) { return "s.x"; })}},
                     false,
                     1000001,
                     false});
  }
  return cases;
}

TEST(GeneratedFilesTest, EveryImportedBoardConfigPassesKvrbuild) {
  const bool tcl = testing::reads_tcl();
  for (const Import& c : imports()) {
    if (c.needs_tcl && !tcl) continue;
    testing::Sandbox sandbox;
    std::vector<std::string> words = {"--import", "-o", "out.cfg"};
    for (const auto& [name, text] : c.files) {
      sandbox.write(name, text);
      if (c.all_files || words.size() == 3) words.push_back(name);
    }
    const testing::RunResult run = kvrview(words);
    ASSERT_EQ(run.exit_status, 0) << c.what << "\n" << run.err;
    EXPECT_EQ(run_program(KVR_BUILD_PATH " -p2 -- out.cfg", "p2.txt"), 0) << c.what;
    EXPECT_NE(sandbox.read("p2.txt").find("The configure file has been successfully parsed."),
              std::string::npos)
        << c.what << "\n"
        << sandbox.read("p2.txt");
    EXPECT_EQ(testing::parse_text(sandbox.read("out.cfg"), 2).devices.size(), c.devices) << c.what;
  }
  if (!tcl) GTEST_SKIP() << "this kvrview is built without Jim Tcl: no OpenOCD script is read";
}

// A board whose four name fields are markers, from TDI: a device, a linker with one device on
// its sub-path 0, and a device.
const char kBoard[] =
    ";CFG-2.0\n\"aaaaaaaa\" BYPASS004\n\"llllllll\" SPL\n{ \"bbbbbbbb\" BYPASS006 } { } { } { }\n"
    "\"cccccccc\" BYPASS005\n";

// OpenOCD's scan_chain rows, from TDI to TDO: "NAME IRLEN", and " out" when disabled.
std::vector<std::string> scan_chain_rows(const std::string& output) {
  static const std::regex row(R"(\n *\d+ (\S+) +([Yn]) +0x[0-9a-f]+ +0x[0-9a-f]+ +(\d+) )");
  std::vector<std::string> rows;
  for (std::sregex_iterator m(output.begin(), output.end(), row), end; m != end; ++m) {
    rows.insert(rows.begin(), (*m)[1].str() + " " + (*m)[3].str() + ((*m)[2] == "n" ? " out" : ""));
  }
  return rows;
}

bool is_svf(const std::string& svf) {
  static const std::regex padding(
      R"(! [ -~]*\n! [ -~]*\nHIR [^\n]*;\nTIR [^\n]*;\nHDR [^\n]*;\nTDR [^\n]*;\n)");
  return std::regex_match(svf, padding);
}

TEST(GeneratedFilesTest, AnOpenocdScriptDeclaresExactlyTheBoardsTapsOrIsRefused) {
  const bool openocd = [] {
    const testing::Sandbox sandbox;
    return run_program("openocd --version", "version.txt") == 0;
  }();
  const struct {
    const char* marker;
    std::string name;  // the name field's new bytes, up to 8
    std::string file;  // the database's name, where `\\' stands for the folder separator
    std::vector<std::string> select;
    std::vector<std::string> rows;  // from TDI; or the refusal
  } cases[] = {
    {"aaaaaaaa",
     "FPGA",
     "b.dat",
     {},
     {"board.FPGA 4", "board.llllllll 8", "board.bbbbbbbb 6 out", "board.cccccccc 5"}},
    {"aaaaaaaa",
     "a",
     "b.dat",
     {"--select", "llllllll:0"},
     {"board.a 4", "board.llllllll 8", "board.bbbbbbbb 6", "board.cccccccc 5"}},
#if !defined(_WIN32)
    {"aaaaaaaa",
     "a",
     "d\n{x}\\y.dat",
     {},
     {"board.a 4", "board.llllllll 8", "board.bbbbbbbb 6 out", "board.cccccccc 5"}},
#endif
    {"aaaaaaaa", "[echo !]", "b.dat", {}, {"device 1 from TDI is named `[echo !]', which is no"}},
    {"bbbbbbbb", "{", "b.dat", {}, {"device 3 from TDI is named `{', which is no device name"}},
    {"llllllll", "x\ny", "b.dat", {}, {"device 2 from TDI is named `x?y', which is no device"}},
    {"cccccccc", "", "b.dat", {}, {"device 4 from TDI is named `', which is no device name"}},
    {"cccccccc", "9abc", "b.dat", {}, {"device 4 from TDI is named `9abc', which is no device"}},
  };
  for (const auto& c : cases) {
    testing::Sandbox sandbox;
    sandbox.write("b.cfg", kBoard);
    sandbox.run({"-g2", "--", "b.cfg", "b.dat"});
    std::string bytes = sandbox.read("b.dat");
    bytes.replace(bytes.find(c.marker), 8, (c.name + std::string(8, '\0')).substr(0, 8));
    std::string written = c.file;
    std::replace(written.begin(), written.end(), '\\', '/');
    sandbox.write(written, bytes);
    std::vector<std::string> words = {"--openocd", "-o", "chain.tcl", c.file};
    words.insert(words.end(), c.select.begin(), c.select.end());
    const testing::RunResult run = kvrview(words);
    // The SVF of the device nearest TDO, whatever the names: its comments stay comments.
    const testing::RunResult svf = kvrview({"--svf", "cccccccc", c.file});
    EXPECT_TRUE(c.marker == std::string("cccccccc") || is_svf(svf.out)) << c.name << svf.out;
    if (c.rows.size() == 1) {
      EXPECT_EQ(run.exit_status, 1) << c.name;
      EXPECT_TRUE(run.err.starts_with(c.file + ": error: --openocd: " + c.rows[0])) << run.err;
      EXPECT_FALSE(std::ifstream("chain.tcl").good()) << "a refused script writes nothing";
      continue;
    }
    ASSERT_EQ(run.exit_status, 0) << run.err;
    if (!openocd) continue;
    EXPECT_EQ(
        run_program("openocd -c 'adapter driver dummy' -f chain.tcl -c scan_chain -c shutdown",
                    "openocd.txt"),
        0)
        << sandbox.read("openocd.txt");
    EXPECT_EQ(scan_chain_rows(sandbox.read("openocd.txt")), c.rows)
        << sandbox.read("chain.tcl") << sandbox.read("openocd.txt");
  }
  // A device's own name, with a line end and an SVF command in it, stays in its comment.
  testing::Sandbox sandbox;
  sandbox.write("b.cfg", kBoard);
  sandbox.run({"-g2", "--", "b.cfg", "b.dat"});
  std::string bytes = sandbox.read("b.dat");
  bytes.replace(bytes.find("cccccccc"), 8, std::string("c\nhir 9\0", 8));
  sandbox.write("b.dat", bytes);
  EXPECT_TRUE(is_svf(kvrview({"--svf", "c\nhir 9", "b.dat"}).out));
  if (!openocd) GTEST_SKIP() << "there is no `openocd' to run (Debian package openocd)";
}

// The lines of an OpenOCD script that are no comment: the TAPs declared, in order, with their IR
// lengths and -disable, and the linkers' switching, which names each sub-path's devices.
std::string commands_of(const std::string& script) {
  std::istringstream in(script);
  std::string commands;
  for (std::string line; std::getline(in, line);) {
    if (!line.starts_with("#")) commands += line + "\n";
  }
  return commands;
}

// Seeded random boards whose first linker has a sub-path with devices, and that sub-path.
struct LinkedBoard {
  std::string text;
  std::string select;  // LINKER:K
};
std::vector<LinkedBoard> linked_boards(std::size_t count) {
  std::vector<LinkedBoard> boards;
  for (unsigned seed = 1; boards.size() < count; ++seed) {
    const testing::GeneratedBoard board = testing::generate_board(seed, 2);
    for (const DeviceRecord& device : board.devices) {
      const auto used = std::find_if(device.sub_id.begin(), device.sub_id.end(),
                                     [](std::uint32_t first) { return first != 0; });
      if (device.connect != 1 || used == device.sub_id.end()) continue;
      boards.push_back({board.text, std::string(board.device_names[device.dev_id - 1].data()) +
                                        ":" + std::to_string(used - device.sub_id.begin())});
      break;
    }
  }
  return boards;
}

TEST(GeneratedFilesTest, AnImportOfAnOpenocdScriptGivesBackTheBoardsLinkersAndSubPaths) {
  if (!testing::reads_tcl()) {
    GTEST_SKIP() << "this kvrview is built without Jim Tcl: no OpenOCD script is read";
  }
  // Each board written as a script, with no sub-path selected and with one, imported, compiled
  // by kvrbuild and written as a script again: the same TAPs in the same order, of the same IR
  // lengths, the same linkers switching the same sub-paths' devices.
  for (const LinkedBoard& board : linked_boards(6)) {
    for (const std::vector<std::string>& select :
         {std::vector<std::string>{}, std::vector<std::string>{"--select", board.select}}) {
      testing::Sandbox sandbox;
      sandbox.write("board.cfg", board.text);
      std::vector<std::string> first = {"--openocd", "-o", "first.tcl", "board.cfg"};
      std::vector<std::string> again = {"--openocd", "-o", "again.tcl", "imported.cfg"};
      first.insert(first.end(), select.begin(), select.end());
      again.insert(again.end(), select.begin(), select.end());
      ASSERT_EQ(kvrview(first).exit_status, 0) << board.text;
      const testing::RunResult import = kvrview({"--import", "-o", "imported.cfg", "first.tcl"});
      ASSERT_EQ(import.exit_status, 0) << import.err;
      EXPECT_EQ(run_program(KVR_BUILD_PATH " -p2 -- imported.cfg", "p2.txt"), 0)
          << sandbox.read("p2.txt") << sandbox.read("imported.cfg");
      ASSERT_EQ(kvrview(again).exit_status, 0) << sandbox.read("imported.cfg");
      EXPECT_EQ(commands_of(sandbox.read("again.tcl")), commands_of(sandbox.read("first.tcl")))
          << board.text << sandbox.read("imported.cfg");
    }
  }
}

}  // namespace
}  // namespace kvr

// kvrview's bridge to the open JTAG tools, through whole runs: the examples as OpenOCD scripts and
// SVF padding, the usage of the new options, imports of each kind and their errors, and the round
// trip of random boards through an OpenOCD script and back.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "lint/diagnostics.h"
#include "support/view_run.h"

namespace kvr {
namespace {

using testing::kvrview;

// Whether `lines` stand in `text` one after another, each a whole line.
bool has_lines_in_order(const std::string& text, const std::vector<std::string>& lines) {
  std::string block;
  for (const std::string& line : lines) block += line + "\n";
  return ("\n" + text).find("\n" + block) != std::string::npos;
}

TEST(BridgeTest, TheExamplesBecomeOpenocdScriptsAndSvfPaddingByOneLinkerModel) {
  const std::string board = KVR_SOURCE_DIR "/examples/board.cfg";
  const std::string v1 = KVR_SOURCE_DIR "/examples/board_v1.cfg";
  const struct {
    std::vector<std::string> words;
    std::vector<std::string> lines;  // on standard output, or the one line on standard error
    int status = 0;
  } cases[] = {
      // Declared from TDO to TDI; sub-path devices out of the chain at their place, -disable.
      {{"--openocd", board},
       {"jtag newtap board arm_b -irlen 4", "jtag newtap board arm_a -irlen 4",
        "# Sub-path 2 of the linker link, out of the chain (--select link:2 puts it in):",
        "jtag newtap board arm_c -irlen 4 -disable",
        "# Sub-path 0 of the linker link, out of the chain (--select link:0 puts it in):",
        "jtag newtap board dsp_c -irlen 38 -disable", "jtag newtap board dsp_b -irlen 38 -disable",
        "# The linker link: no sub-path selected.", "jtag newtap board link -irlen 8",
        "jtag newtap board dsp_a -irlen 38", "jtag newtap board fpga -irlen 6"}},
      // A selected sub-path between the linker and the next main-path device, the others
      // disabled.
      {{"--openocd", "--chip", "soc", "--select", "LINK:2", board},
       {"jtag newtap soc arm_a -irlen 4",
        "# Sub-path 2 of the linker link, selected:", "jtag newtap soc arm_c -irlen 4",
        "# Sub-path 0 of the linker link, out of the chain (--select link:0 puts it in):",
        "jtag newtap soc dsp_c -irlen 38 -disable", "jtag newtap soc dsp_b -irlen 38 -disable",
        "# The linker link: sub-path 2 selected, sub-paths 0, 1, 3 left out of the chain.",
        "jtag newtap soc link -irlen 8", "jtag newtap soc dsp_a -irlen 38"}},
      // HIR/HDR: the devices towards TDO; TIR/TDR: those towards TDI; unselected ones count none.
      {{"--svf", "dsp_a", board},
       {"HIR 16 TDI (FFFF);", "TIR 6 TDI (3F);", "HDR 3 TDI (0);", "TDR 1 TDI (0);"}},
      {{"--svf", "FPGA", "--select", "link:0", board},
       {"HIR 130 TDI (3FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF);", "TIR 0;", "HDR 6 TDI (00);", "TDR 0;"}},
      // Errors of the input, exit status 1.
      {{"--svf", "nope", board},
       {board + ": error: --svf: the board has no device named `nope'"},
       1},
      {{"--svf", "dsp_b", board},
       {board + ": error: --svf: the device `dsp_b' stands on sub-path 0 of the linker link, " +
        "which is not in the chain (--select link:0 puts it there)"},
       1},
      {{"--openocd", "--select", "fpga:1", board},
       {board + ": error: --select fpga:1: the board has no scan-path linker named `fpga'"},
       1},
      {{"--serve", "--select", "link:1", "--select", "link:2", board},
       {board + ": error: --select: the linker `link' is selected twice"},
       1},
      // Bad usage, exit status 2: the message ends in "(kvrview --help shows the usage)".
      {{"--openocd", "--select", "link:4", board}, {"--select takes LINKER:K, a linker's"}, 2},
      {{"--openocd", "--chip", "a.b", board}, {"--chip takes a name of letters, digits"}, 2},
      {{"--svf", "a", "--chip", "x", board}, {"--chip goes with --openocd only"}, 2},
      {{"--json", "--select", "l:1", board},
       {"--select goes with --openocd, --svf and --serve"},
       2},
      {{"--import", "--log", board}, {"--log goes with --serve only"}, 2},
      {{"--serve", "--port", "65536", board}, {"--port takes a TCP port from 0 to 65535"}, 2},
      {{"--serve", "-o", "x", board}, {"--check and --serve write no output file"}, 2},
      {{"--openocd", board, v1}, {"a second input file `" + v1 + "'"}, 2},
      {{board, "--svf"}, {"kvrview: --svf needs a value (kvrview --help shows the usage)"}, 2},
      // kvrview's other options.
      {{board, "-o"}, {"kvrview: -o needs a file name"}, 2},
      {{"--check", "-W", "no-label", board}, {}},
      {{"--check", "-Wno-labl", board}, {"no check is named `labl'; did you mean `label'?"}, 2},
      {{"--cfg", "-Wlabel", board}, {"-W options choose the warnings of a board.cfg"}, 2},
      {{"--format", "gif", board}, {"--format takes png, pdf or svg, not `gif'"}, 2},
      {{"--json", "--cfg", board}, {"--cfg is a second mode"}, 2},
      {{"--version"}, {"kvrview 3.3.12"}},
  };
  testing::Sandbox sandbox;
  for (const auto& c : cases) {
    const testing::RunResult run = kvrview(c.words);
    EXPECT_EQ(run.exit_status, c.status) << c.words.front() << " " << c.words.back() << run.err;
    const bool usage = c.status == 2;  // a one-line message, of which a part is given
    const std::string& shown = c.status == 0 ? run.out : run.err;
    EXPECT_TRUE(usage ? shown.find(c.lines[0]) != std::string::npos && shown.ends_with(" usage)\n")
                      : has_lines_in_order(shown, c.lines))
        << shown;
    EXPECT_EQ(c.status == 0 ? run.err : run.out, "");
  }
  // The header names the file in printable characters, '~' included: a line end would end the
  // comment.
  sandbox.write("b~\x7f.cfg", sandbox.read(board));
  EXPECT_NE(kvrview({"--openocd", "b~\x7f.cfg"}).out.find("# The scan chain of `b~?.cfg'"),
            std::string::npos);
}

// The lines of the devices an import gives, and its comments of devices left out.
std::vector<std::string> device_lines(const std::string& board) {
  std::vector<std::string> lines;
  std::istringstream in(board);
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("\"") || line.find(" is left out") != std::string::npos) {
      lines.push_back(line);
    }
  }
  return lines;
}

const char kTable[] =
    "Info : JTAG tap: soc.cpu tap/device found\n"
    "   TapName             Enabled  IdCode     Expected   IrLen IrCap IrMask\n"
    "-- ------------------- -------- ---------- ---------- ----- ----- ------\n"
    " 0 soc.dsp                Y     0x00000000 0x00000000    38 0x25  0x3f\n"
    " 1 soc.cpu                n     0x0b6d602f 0x0b6d602f     4 0x01  0x0f\n"
    "                                           0x1b6d602f\n"
    " 2 x.y.boundary           Y     0x00000000 0x*ba00477     6 0x01  0x03\n"
    "\n"
    "shutdown command invoked\n";

// A chip's script, found through --search, that sets defaults, declares TAPs inside a proc and
// through swj_newdap, answers OpenOCD's questions and builds names with $_CHIPNAME.
const char kChipScript[] =
    "if { [info exists CHIPNAME] } { set _CHIPNAME $CHIPNAME } else { set _CHIPNAME omap }\n"
    "proc declare {name length} {\n"
    "  global _CHIPNAME\n"
    "  jtag newtap $_CHIPNAME $name -irlen $length -ircapture 0x1 -irmask 0xf\n"
    "}\n"
    "declare dsp 38\n"
    "swj_newdap $_CHIPNAME cpu -irlen 4 -expected-id 0x0b6d602f -disable\n"
    "declare jrc 6\n"
    "target create $_CHIPNAME.cpu cortex_m -chain-position $_CHIPNAME.cpu\n"
    "$_CHIPNAME.cpu configure -event reset-init { mww 0x40000000 1 }\n"
    "adapter speed 1000; reset_config trst_and_srst; transport select swd\n"
    "if {[transport select] ne \"jtag\"} { error \"no JTAG\" }\n"
    "if {![jtag tapisenabled $_CHIPNAME.dsp] || [jtag tapisenabled $_CHIPNAME.cpu]} { error x }\n"
    "for {set i 0} {$i < 2} {incr i} {\n"
    "  if {[using_jtag] && [llength [jtag names]] == 3 + $i} {\n"
    "    jtag newtap $_CHIPNAME extra$i -irlen 0x1F\n"
    "  }\n"
    "}\n";

std::string bsdl(const std::string& entity, const std::string& attribute) {
  return "-- BSDL of a part\nentity " + entity +
         " is\n  generic (PHYSICAL_PIN_MAP : string := \"QFP -- 48\");\n  " + attribute +
         "\n  attribute IDCODE_REGISTER of " + entity + " : entity is \"0001\";\nend " + entity +
         ";\n";
}

// Two chips' boundary-scan TAPs named alike, and one chip's script sourced twice.
constexpr char kClashScript[] =
    "jtag newtap zynq_pl bs -irlen 6\njtag newtap zynq dap -irlen 4\n"
    "jtag newtap stm32f4x cpu -irlen 4 -ircapture 0x1 -irmask 0xf -expected-id 0x4ba00477\n"
    "jtag newtap stm32f4x bs -irlen 5 -expected-id 0x6413041 -expected-id 0x06419041\n"
    "jtag newtap stm32f4x cpu -irlen 4\njtag newtap stm32f4x bs -irlen 5\n";

TEST(BridgeTest, ImportsReadScriptsTablesAndBsdlFilesIntoABoard) {
  testing::Sandbox sandbox;
  const bool tcl = testing::reads_tcl();
  sandbox.write("lib/chip.tcl", kChipScript);
  sandbox.write("board.tcl", "set CHIPNAME soc\nsource [find chip.tcl]\n");
  sandbox.write("names.tcl",
                "jtag newtap 9chip 1tap -irlen 1\njtag newtap a cpu -irlen 2\n"
                "jtag newtap b cpu -irlen 3\njtag newtap x.y verylongname -irlen 0x400\n"
                "jtag newtap - - -irlen 5 -enable\n");
  sandbox.write("clash.tcl", kClashScript);
  sandbox.write("table.txt", kTable);
  sandbox.write("a.bsd", bsdl("STM32F1_Medium",
                              "attribute instruction_length of stm32f1_medium "
                              ": ENTITY IS 5; -- five bits"));
  sandbox.write("b.bsd", bsdl("stm32f1_medium_LQFP",
                              "ATTRIBUTE INSTRUCTION_LENGTH OF "
                              "stm32f1_medium_LQFP : entity is 0012;"));
  const struct {
    std::vector<std::string> words;
    std::vector<std::string> lines;
    bool needs_tcl;
  } cases[] = {
      // Each device's comment: its full name and the options its script gave it.
      {{"--search", "lib", "board.tcl"},
       {"\"extra1\"   BYPASS01F  ; soc.extra1", "\"extra0\"   BYPASS01F  ; soc.extra0",
        "\"jrc\"      BYPASS006  ; soc.jrc -ircapture 0x01 -irmask 0x0f",
        "; soc.cpu -expected-id 0x0b6d602f is left out: it is disabled, out of the chain",
        "\"dsp\"      BYPASS026  ; soc.dsp -ircapture 0x01 -irmask 0x0f"},
       true},
      // A name that clashes is shortened to the chip's first letters and the TAP's; numbered only
      // where chip and TAP clash as well.
      {{"clash.tcl"},
       {"\"stm_bs\"   BYPASS005  ; stm32f4x.bs", "\"stm_cpu\"  BYPASS004  ; stm32f4x.cpu",
        "\"stm_bs_2\" BYPASS005  ; stm32f4x.bs -expected-id 0x06413041 -expected-id 0x06419041",
        "\"stm_cp_2\" BYPASS004  ; stm32f4x.cpu -expected-id 0x4ba00477 -ircapture 0x01 -irmask "
        "0x0f",
        "\"dap\"      BYPASS004  ; zynq.dap", "\"zynq_bs\"  BYPASS006  ; zynq_pl.bs"},
       true},
      // The naming rule: TAP when no other TAP has it, else CHIP_TAP shortened, else numbered.
      {{"names.tcl"},
       {"\"tap\"      BYPASS005  ; -.-", "\"x_verylo\" BYPASS400  ; x.y.verylongname",
        "\"b_cpu\"    BYPASS003  ; b.cpu", "\"a_cpu\"    BYPASS002  ; a.cpu",
        "\"chi_1tap\" BYPASS001  ; 9chip.1tap"},
       true},
      // A table is listed from TDO, with its Expected (a `*' digit as 0), IrCap and IrMask; several
      // files stand from TDI to TDO.
      {{"a.bsd", "table.txt", "b.bsd"},
       {"\"stm32f1_\" BYPASS005  ; STM32F1_Medium",
        "\"boundary\" BYPASS006  ; x.y.boundary -expected-id 0x0ba00477 -ircapture 0x01 -irmask "
        "0x03",
        "; soc.cpu -expected-id 0x0b6d602f -expected-id 0x1b6d602f -ircapture 0x01 -irmask 0x0f "
        "is left out:",
        "\"dsp\"      BYPASS026  ; soc.dsp -ircapture 0x25 -irmask 0x3f",
        "\"stm32f_2\" BYPASS00C  ; stm32f1_medium_LQFP"},
       false},
  };
  for (const auto& c : cases) {
    if (c.needs_tcl && !tcl) continue;
    std::vector<std::string> words = {"--import", "-o", "out.cfg"};
    words.insert(words.end(), c.words.begin(), c.words.end());
    const testing::RunResult run = kvrview(words);
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(device_lines(sandbox.read("out.cfg")), c.lines) << sandbox.read("out.cfg");
    const testing::RunResult check = kvrview({"--check", "out.cfg"});
    EXPECT_EQ(check.exit_status, 0) << check.err << sandbox.read("out.cfg");
  }
  if (!tcl) GTEST_SKIP() << "this kvrview is built without Jim Tcl: no OpenOCD script is read";
}

// The board.cfg of an import after its header: its devices, groups and comments.
std::string scan_path(const std::string& board) {
  const std::string end_of_header = "in a comment.\n";
  const std::string linkers = "devices in its four groups.\n";
  std::string path = board.substr(board.find(end_of_header) + end_of_header.size());
  return path.find(linkers) == std::string::npos ? path
                                                 : path.substr(path.find(linkers) + linkers.size());
}

TEST(BridgeTest, ATapEnableHandlerThatSelectsALinkersSubPathPutsItsTapThere) {
  if (!testing::reads_tcl()) GTEST_SKIP() << "this kvrview is built without Jim Tcl";
  const std::string linker = "jtag newtap b lnk -irlen 8\n";
  const auto member = [](const std::string& tap, const std::string& body) {
    return "jtag newtap b " + tap + " -irlen 4 -disable\njtag configure b." + tap +
           " -event tap-enable {" + body + "}\n";
  };
  const struct {
    std::string script;  // declared from TDO
    std::string board;
  } cases[] = {
      // irscan LINKER 0x02, drscan LINKER 3 K: a device of sub-path K, right after its linker.
      {member("d", "irscan b.lnk 0x02; drscan b.lnk 3 1") + linker,
       "\"lnk\"      SPL        ; b.lnk, a scan-path linker\n"
       "{ }                   ; its sub-path 0: empty\n{                     ; its sub-path 1:\n"
       "  \"d\"        BYPASS004  ; b.d\n}\n{ }                   ; its sub-path 2: empty\n"
       "{ }                   ; its sub-path 3: empty\n"},
      // Through a TAP of another IR length, by other scans, or failing: left as declared.
      {member("d", "irscan b.m 0x02; drscan b.m 3 0") + "jtag newtap b m -irlen 4\n",
       "\"m\"        BYPASS004  ; b.m\n; b.d is left out: it is disabled, out of the chain (the "
       "TAP its tap-enable handler selects through,\n; b.m, has an IR of 4 bits, where a "
       "scan-path linker's has 8)\n"},
      {member("d", "irscan b.lnk 0x02 -endstate IRPAUSE; drscan b.lnk 3 0") + linker,
       "\"lnk\"      BYPASS008  ; b.lnk\n; b.d is left out: it is disabled, out of the chain "
       "(its tap-enable handler selects no sub-path as a\n; scan-path linker's is selected: "
       "irscan LINKER 0x02, then drscan LINKER 3 K, K from 0 to 3)\n"},
      {member("d", "error boom") + linker,
       "\"lnk\"      BYPASS008  ; b.lnk\n; b.d is left out: it is disabled, out of the chain "
       "(its tap-enable handler fails: boom)\n"},
      // A sub-path's device with a main-path device between it and its linker.
      {member("d", "irscan b.lnk 0x02; drscan b.lnk 3 0") + "jtag newtap b m -irlen 5\n" +
           member("e", "irscan b.lnk 0x02; drscan b.lnk 3 0") + linker,
       "\"lnk\"      SPL        ; b.lnk, a scan-path linker\n"
       "{                     ; its sub-path 0:\n  \"e\"        BYPASS004  ; b.e\n}\n"
       "{ }                   ; its sub-path 1: empty\n{ }                   ; its sub-path 2: "
       "empty\n{ }                   ; its sub-path 3: empty\n"
       "\"m\"        BYPASS005  ; b.m\n; b.d is left out: it is disabled, out of the chain (it "
       "does not stand among the devices right after\n; its linker b.lnk, towards TDO)\n"},
  };
  for (const auto& c : cases) {
    testing::Sandbox sandbox;
    sandbox.write("s.tcl", c.script);
    const testing::RunResult run = kvrview({"--import", "s.tcl"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(scan_path(run.out), c.board) << c.script;
  }
}

TEST(BridgeTest, AnImportErrorIsShownAtItsLineAndColumnAndWritesNothing) {
  const std::string table_head = std::string(kTable).substr(0, std::string(kTable).find(" 0 "));
  const struct {
    std::string name, text, where, message;
  } cases[] = {
      {"a.tcl", "set x 1\n  jtag newtap a b -irlen 0x401\n", "2:3",
       "jtag newtap a.b: the IR length 1025 is outside 1 to 1024"},
      {"a.tcl", "jtag newtap a b -irlen 4 -bogus", "1:1",
       "jtag newtap a.b: unknown option `-bogus'"},
      {"a.tcl", "\n\t jtag newtap a b", "2:3", "jtag newtap a.b: no -irlen"},
      {"a.tcl", "set x {\n  jtag newtap a b -irlen 4\n", "1:1", "missing close-brace"},
      {"a.tcl", "source /etc/passwd", "1:1", "source: `/etc/passwd' is in none of the folders"},
      {"a.tcl", "# comment\nsource [find nothere.cfg]", "2:1", "find: `nothere.cfg' is in none"},
      {"a.tcl", "proc p {} {\n  error {from a proc}\n}\np\n", "2:3", "from a proc"},
      {"a.tcl", "if {[using_swd]} {} else { shutdown }", "1:1", "the script calls shutdown"},
      {"a.tcl", "# no TAP here\nexec rm -rf /; open /etc/passwd", "1:1",
       "the script declares no TAP"},
      {"a.tcl", std::string("jtag newtap a b -irlen 4\n#\0", 27), "2:2", "a zero byte"},
      {"t.txt", table_head + " 1 soc.dsp Y 0x0 0x0 38 0x25 0x3f\n", "4:2", "row number 0 expected"},
      {"t.txt", table_head + " 0 soc.dsp Y 0x0 0x0 x 0x25 0x3f\n", "4:22", "IrLen is a decimal"},
      {"t.txt", table_head + " 0 soc.dsp Y 0x0 0x0 0 0x25 0x3f\n", "4:22", "the IR length 0 is"},
      {"t.txt", table_head + " 0 soc.dsp Y 0x0 0 4 0x25 0x3f\n", "4:18",
       "Expected is a hexadecimal"},
      {"t.txt", table_head + " 0 soc.dsp Y 0x0 0x0 4 0x25\n", "4:28",
       "ends before its column IrMask"},
      {"t.txt", table_head + " 0 soc.dsp Y 0x0 0x0 4 0x1 0x3 9\n", "4:32", "more than 8 columns"},
      {"t.txt", table_head + "\n", "2:1", "the table lists no TAP"},
      {"t.txt", "TapName Enabled IrLen\n 0 a Y 0x0 0x0 4 0x1 0x3\n", "2:1", "the line of dashes"},
      {"a.bsd", "entity 9x is", "1:8", "an entity name expected, not `9x'"},
      {"a.bsd", "ENTITY x\n  port", "2:3", "`is' expected after the entity's name, not `port'"},
      {"a.bsd", bsdl("x", ""), "2:8", "the entity `x' has no `attribute INSTRUCTION_LENGTH of x"},
      {"a.bsd", bsdl("x", "attribute INSTRUCTION_LENGTH x : entity is 4;"), "4:32",
       "`of' expected after INSTRUCTION_LENGTH, not `x'"},
      {"a.bsd", bsdl("x", "attribute INSTRUCTION_LENGTH of y : entity is 4;"), "4:35",
       "INSTRUCTION_LENGTH of `y', where the file's entity is `x'"},
      {"a.bsd", bsdl("x", "attribute INSTRUCTION_LENGTH of x : entity is four;"), "4:49",
       "a number of bits expected, not `four'"},
      // A length of any number of digits is read whole, never wrapped: this one is 4 modulo 2^64.
      {"a.bsd",
       bsdl("x", "attribute INSTRUCTION_LENGTH of x : entity is 100000002537764290115403780;"),
       "4:49", "the IR length 100000002537764290115403780 is outside 1 to 1024"},
      {"a.bsd", bsdl("x", "attribute INSTRUCTION_LENGTH of x : entity is 0001025;"), "4:49",
       "the IR length 1025 is outside 1 to 1024"},
      {"a.bsd", bsdl("x", "attribute INSTRUCTION_LENGTH of x : entity is 4"), "5:3",
       "`;' expected after the length, not `attribute'"},
      {"a.bsd",
       bsdl("x",
            "attribute INSTRUCTION_LENGTH of x : entity is 4; attribute "
            "INSTRUCTION_LENGTH of x : entity is 4;"),
       "4:62", "a second INSTRUCTION_LENGTH attribute"},
      {"a.bsd", "entity x is \"open\n", "1:13", "a string that does not end on its line"},
  };
  testing::Sandbox sandbox;
  const bool tcl = testing::reads_tcl();
  for (const auto& c : cases) {
    if (c.name == "a.tcl" && !tcl) continue;
    sandbox.write(c.name, c.text);
    const testing::RunResult run = kvrview({"--import", "-o", "out.cfg", c.name});
    EXPECT_EQ(run.exit_status, 1) << c.text;
    const std::string head = c.name + ":" + c.where + ": error: ";
    EXPECT_EQ(run.err.rfind(head, 0), 0u) << c.text << "\n" << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.text << "\n" << run.err;
    EXPECT_FALSE(std::ifstream("out.cfg").good()) << "an import that fails writes nothing";
  }
  if (tcl) {  // the caret stands under its character: a tab before it stays a tab
    sandbox.write("tab.tcl", "\n\t jtag newtap a b");
    EXPECT_NE(kvrview({"--import", "tab.tcl"}).err.find("\n\t jtag newtap a b\n\t ^\n"),
              std::string::npos);
  }
  sandbox.write("ok.bsd", bsdl("x", "attribute INSTRUCTION_LENGTH of x : entity is 4;"));
  const testing::RunResult missing = kvrview({"--import", "ok.bsd", "nothere.tcl"});
  EXPECT_EQ(
      missing.err,
      "kvrview: cannot open `nothere.tcl': the file was not found or lacked read permission\n");
  if (!tcl) GTEST_SKIP() << "this kvrview is built without Jim Tcl: no OpenOCD script is read";
}

// Allocation refused at every point where a kvrview run's memory grows, Jim's callbacks included:
// the run ends with status 1 and the memory diagnostic, which needs no memory of its own, never
// with a crash or an exception.
TEST(BridgeTest, EveryRefusedAllocationEndsWithTheMemoryDiagnostic) {
  testing::Sandbox sandbox;
  sandbox.write("chip.tcl", kChipScript);
  sandbox.write("clash.tcl", kClashScript);
  sandbox.write("table.txt", kTable);
  const std::string board = KVR_SOURCE_DIR "/examples/board.cfg";
  sandbox.run({"-g2", "--", board, "b.dat"});
  const std::string memory = file_diagnostic("kvrview", "memory", kStatusNoMemory);
  std::vector<std::string> import = {"--import", "table.txt"};
  if (testing::reads_tcl()) import.push_back("chip.tcl");
  const std::vector<std::string> runs[] = {
      {"--group", board},        {"--cfg", "b.dat"},
      {"--check", board},        {"--openocd", "--select", "link:2", board},
      {"--svf", "dsp_a", board}, import};
  const std::size_t files = testing::open_files();
  for (const std::vector<std::string>& words : runs) {
    for (std::size_t allowed = 0;; ++allowed) {
      const testing::RunResult run = kvrview(words, allowed);
      if (!run.refused && run.exit_status == 0) {
        EXPECT_GT(allowed, 20u) << words[0];
        break;
      }
      EXPECT_EQ(run.exit_status, 1) << words[0] << " " << allowed;
      // A refusal in the child process that evaluates a script is the script's memory spent.
      const std::string child = "chip.tcl:";
      EXPECT_TRUE(run.refused ? run.err == memory
                              : run.err.starts_with(child) &&
                                    run.err.find(": the script uses more memory than it may\n") !=
                                        std::string::npos)
          << words[0] << " " << allowed << run.err;
      ASSERT_LT(allowed, 100'000u) << words[0] << run.err;
    }
  }
  EXPECT_EQ(testing::open_files(), files);
}

}  // namespace
}  // namespace kvr

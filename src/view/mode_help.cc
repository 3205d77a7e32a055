#include "view/mode_help.h"

namespace kvr {
namespace {

// The options of the warnings, for every mode that reads a board.cfg.
constexpr const char* kWarningOptions =
    "  -Wname, -Wno-name   turn one check of a board.cfg on or off (kvrview --help lists them)\n"
    "  -Werror[=name]      make every warning an error, or one check's\n"
    "  --quiet             no warnings at all\n";

struct ModeHelp {
  ViewMode mode;
  const char* usage;    // the command lines, each after "Usage: "
  const char* summary;  // what the mode does
  const char* options;  // its options, one a line
  bool warns;           // it reads a board.cfg, and so takes the options of the warnings
  const char* example;  // a command and what it does
};

const ModeHelp kModeHelp[] = {
    {ViewMode::kPicture,
     "kvrview --svg OUT.svg [--group] FILE\n"
     "       kvrview --format png|pdf|svg [-o OUT] [--group] FILE\n",
     "Draws the scan path of a board.cfg or a board.dat through Graphviz's library: the main\n"
     "path from TDI to TDO, each linker's four sub-paths in a box.  A board of more than 2,000\n"
     "nodes or 50 linkers is refused: --group, or the DOT text laid out by `dot', draws it.\n",
     "  --group             a run of like devices as one node\n"
     "  -o OUT              the picture's file (its extension that of the format)\n",
     true,
     "  kvrview --svg board.svg examples/board.cfg\n"
     "      draws the example board into board.svg\n"},
    {ViewMode::kJson, "kvrview --json [-o OUT.json] FILE\n",
     "Writes the board as JSON for scripts: its variables, class records, every device with\n"
     "the fields of its database record, and its linkers (the schema is in kvrview(1)).\n",
     "  -o OUT.json         write to OUT.json instead of standard output\n", true,
     "  kvrview --json board.dat | jq '.devices[] | .name'\n"
     "      lists the device names of a database\n"},
    {ViewMode::kConfigText, "kvrview --cfg [-o OUT.cfg] board.dat\n",
     "Turns a board database of either version into a board.cfg of the same version, which\n"
     "`kvrbuild -g1' or `kvrbuild -g2' compiles back to the same bytes.\n",
     "  -o OUT.cfg          write to OUT.cfg instead of standard output\n", false,
     "  kvrview --cfg -o board.cfg board.dat\n"
     "      the text of board.dat\n"},
    {ViewMode::kCheck, "kvrview --check [-W...] board.cfg\n",
     "Parses a board.cfg as kvrbuild does and checks what it says beyond its syntax: the first\n"
     "error with notes and help, and the named warnings, in the form compilers use.  Exit\n"
     "status 0 for a clean file or warnings alone, 1 for an error or a warning made one.\n",
     "", true,
     "  kvrview --check -Werror -Wno-path-size board.cfg\n"
     "      fails on any warning but path-size\n"},
    {ViewMode::kBuild, "kvrview --build [--v1] [-W...] [-o OUT.dat] board.cfg\n",
     "Compiles a board.cfg into the board database that `kvrbuild -g1' or `-g2' writes for\n"
     "it, byte for byte, in the version its label declares, for a Makefile or a CI job.  The\n"
     "diagnostics of --check go to standard error, and every warning is an error: the build\n"
     "stops, with exit status 1, on any error or warning, and writes nothing.  The database is\n"
     "written to a new file beside OUT and renamed over it only when it is whole, so a build\n"
     "never leaves a damaged or half-written database.  Exit status 0 only when it was written.\n",
     "  -o OUT.dat          the database (default: the input's name with .dat; - for standard\n"
     "                      output)\n"
     "  --v1                read a file without the label ;CFG-2.0 as a version 1 file; without\n"
     "                      it, such a file is an error\n"
     "  -Wno-error[=name]   keep every warning, or one check's, a warning that does not stop\n"
     "                      the build\n",
     true,
     "  board.dat: board.cfg\n"
     "  \tkvrview --build $< -o $@\n"
     "      a Makefile rule that stops on every mistake of board.cfg\n"},
    {ViewMode::kDiff, "kvrview --diff A B\n",
     "Compares two boards, each a board.cfg or a board.dat of either version, as boards: the\n"
     "variables, the devices (added, removed, moved, or of another class or IR length), the\n"
     "linkers' sub-paths and what each path adds up to.  One difference a line; exit status\n"
     "0 when the boards are the same, 1 when they differ, 2 on trouble, as diff(1) does.  A\n"
     "board.cfg and the database compiled from it are the same board.\n",
     "", true,
     "  kvrview --diff board.cfg board.dat\n"
     "      says nothing, with exit status 0, when board.dat is what board.cfg compiles to\n"},
    {ViewMode::kOpenocd,
     "kvrview --openocd [--chip NAME] [--select LINKER:K]... [-o OUT.tcl] FILE\n",
     "Writes the board's scan chain as an OpenOCD script, one `jtag newtap CHIP DEVICE -irlen\n"
     "N' for every TAP, declared from TDO to TDI.\n",
     "  --chip NAME         the chip name of every TAP (default: board)\n"
     "  --select LINKER:K   put sub-path K (0 to 3) of the linker LINKER in the chain\n"
     "  -o OUT.tcl          write to OUT.tcl (or OUT.cfg) instead of standard output\n",
     true,
     "  kvrview --openocd --select link:0 -o chain.tcl examples/board.cfg\n"
     "      the example board, with sub-path 0 of its linker in the chain\n"},
    {ViewMode::kSvf, "kvrview --svf DEVICE [--select LINKER:K]... [-o OUT.svf] FILE\n",
     "Writes the SVF padding (HIR, TIR, HDR, TDR) that addresses DEVICE with every other device\n"
     "of the chain in BYPASS.\n",
     "  --select LINKER:K   put sub-path K (0 to 3) of the linker LINKER in the chain\n"
     "  -o OUT.svf          write to OUT.svf instead of standard output\n",
     true,
     "  kvrview --svf dsp_a examples/board.cfg > pad.svf\n"
     "      the padding that addresses the device dsp_a\n"},
    {ViewMode::kImport, "kvrview --import [--search DIR]... [-o OUT.cfg] FILE...\n",
     "Writes a version 2 board.cfg of the chain that OpenOCD scripts, OpenOCD's scan_chain\n"
     "table or BSDL files describe, the files in the order of the chain from TDI to TDO.\n",
     "  --search DIR        a folder where a script's `find' looks, after its own folder\n"
     "  -o OUT.cfg          write to OUT.cfg instead of standard output\n",
     false,
     "  kvrview --import cpu.bsd fpga.bsd -o board.cfg\n"
     "      a board.cfg from two BSDL files\n"},
    {ViewMode::kServe, "kvrview --serve [--port N] [--log] [--select LINKER:K]... FILE\n",
     "Runs the board as a simulated scan path behind OpenOCD's remote_bitbang protocol on\n"
     "127.0.0.1; the first line of standard output is the port.  It ends when a client sends\n"
     "Q, or on SIGINT or SIGTERM.\n",
     "  --port N            the TCP port (default 0: a free one)\n"
     "  --log               print every device's instruction after each Update-IR\n"
     "  --select LINKER:K   put sub-path K (0 to 3) of the linker LINKER in the chain\n",
     true,
     "  kvrview --serve --port 3335 --log examples/board.cfg\n"
     "      the example board behind port 3335\n"},
};

}  // namespace

std::string mode_usage(ViewMode mode) {
  for (const ModeHelp& help : kModeHelp) {
    if (help.mode != mode) continue;
    return std::string("Usage: ") + help.usage + "\n" + help.summary + "\nOptions:\n" +
           help.options + (help.warns ? kWarningOptions : "") +
           "  --help              this usage\n\nExample:\n" + help.example + "\nSee kvrview(1).\n";
  }
  return view_usage();
}

}  // namespace kvr

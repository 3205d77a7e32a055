// kvrview's command line. Options come before, between or after the input file; `--' ends the
// options, so that a file name may begin with '-'. A mode (--svg, --format, --json, --cfg,
// --check, --fmt, --build, --diff, --openocd, --svf, --import, --serve, --lsp) chooses what is
// made, and without one the DOT graph is, or the picture that the output file's extension names
// (.png, .pdf, .svg); at most one mode may be given. Every mode reads one input file but --import,
// which reads one or more, and --diff, which reads two. `-o FILE' sends what is made to a file
// instead of standard output (`-o -' to standard output); its extension must be one the mode
// writes. --svg names its picture itself, and --check (but with --format sarif), --diff and --serve
// make nothing to write; --build writes beside its input when no -o is given. The options of one
// mode (--group, --chip, --select, --search, --port,
// --log, --v1, --in-place) go with no other; -W... and --quiet go with every mode that reads a
// board.cfg.
// `--help' after a mode asks for that mode's own usage.
#ifndef KVR_VIEW_VIEW_COMMAND_LINE_H_
#define KVR_VIEW_VIEW_COMMAND_LINE_H_

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "bridge/board_chain.h"
#include "lint/board_checks.h"

namespace kvr {

struct ViewRequest {
  enum class Mode {
    kDot,
    kPicture,
    kJson,
    kConfigText,
    kCheck,
    kFormat,
    kHelp,
    kVersion,
    kOpenocd,
    kSvf,
    kImport,
    kServe,
    kBuild,
    kDiff,
    kLsp
  } mode = Mode::kDot;
  Mode help_for = Mode::kDot;        // kHelp: the mode whose usage is asked for (kDot: all)
  bool group = false;                // draw a run of like devices as one node
  std::string format;                // the picture's: png, pdf or svg; --check's: sarif
  bool in_place = false;             // --fmt --in-place: rewrite the input file
  std::string input;                 // the input file (--import, --diff: the first of them)
  std::vector<std::string> imports;  // every input file (--import: from TDI to TDO)
  std::string output;                // -o FILE or the picture of --svg; empty or "-" for standard
                                     // output
  // The warnings of a board.cfg: the checks' settings as the -W options give them, and what
  // -Wno-error and -Wno-error=NAME keep a warning (--build makes every warning an error).
  CheckSettings checks;
  bool quiet = false;                  // --quiet: no warnings at all
  bool version_1 = false;              // --v1: --build reads a file without a label, as version 1
  // The bridge to the open JTAG tools.
  std::string chip = "board";             // --chip: the chip name of the OpenOCD script
  std::string svf_device;                 // --svf: the device to address
  std::vector<SubPathChoice> selections;  // --select LINKER:K
  std::vector<std::string> search;        // --search DIR: where `find' looks
  std::uint16_t port = 0;                 // --port: where --serve listens (0: a free port)
  bool log = false;                       // --log: every device's IR after each Update-IR
};
using ViewMode = ViewRequest::Mode;

// Empty when the words make a request; otherwise the one-line message for bad usage.
std::string parse_view_command_line(int argc, const char* const* argv, ViewRequest& request);

// The usage that --help prints.
std::string view_usage();

// Whether the output goes to standard output: no -o, or `-o -'.
bool to_standard_output(const ViewRequest& request);

}  // namespace kvr

#endif  // KVR_VIEW_VIEW_COMMAND_LINE_H_

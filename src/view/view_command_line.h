// kvrview's command line. Options come before, between or after the input file; `--' ends the
// options, so that a file name may begin with '-'. A mode (--svg, --format, --json, --cfg,
// --check, --fmt, --openocd, --svf, --import, --serve) chooses what is made, and without one the
// DOT graph is, or the picture that the output file's extension names (.png, .pdf, .svg); at most
// one mode may be given. Every mode reads one input file but --import, which reads one or more. `-o
// FILE' sends what is made to a file instead of standard output; --svg names its picture itself,
// and
// --check (but with --format sarif) and --serve make nothing to write. The options of one mode
// (--group, --chip, --select, --search, --port, --log, -W..., --in-place) go with no other.
#ifndef KVR_VIEW_VIEW_COMMAND_LINE_H_
#define KVR_VIEW_VIEW_COMMAND_LINE_H_

#include <cstdint>
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
    kLsp
  } mode = Mode::kDot;
  bool group = false;                // draw a run of like devices as one node
  std::string format;                // the picture's: png, pdf or svg; --check's: sarif
  bool in_place = false;             // --fmt --in-place: rewrite the input file
  std::string input;                 // the input file (--import: the first of them)
  std::vector<std::string> imports;  // --import: every input file, from TDI to TDO
  std::string output;                // -o FILE or the picture of --svg; empty for standard output
  CheckSettings checks;              // the warnings of --check
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

}  // namespace kvr

#endif  // KVR_VIEW_VIEW_COMMAND_LINE_H_

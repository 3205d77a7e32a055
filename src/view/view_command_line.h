// kvrview's command line. Options come before, between or after the one input file; `--' ends the
// options, so that a file name may begin with '-'. A mode (--svg, --format, --json, --cfg,
// --check) chooses what is made, and without one the DOT graph is, or the picture that the output
// file's extension names (.png, .pdf, .svg); at most one mode may be given. `-o FILE' sends what is
// made to a file instead of standard output; --svg names its picture itself, and --check makes
// nothing but its diagnostics, whose warnings -W options choose.
#ifndef KVR_VIEW_VIEW_COMMAND_LINE_H_
#define KVR_VIEW_VIEW_COMMAND_LINE_H_

#include <string>

#include "view/board_checks.h"

namespace kvr {

struct ViewRequest {
  enum class Mode { kDot, kPicture, kJson, kConfigText, kCheck, kHelp, kVersion } mode = Mode::kDot;
  bool group = false;    // draw a run of like devices as one node
  std::string format;    // the picture's: png, pdf or svg
  std::string input;     // the one input file
  std::string output;    // -o FILE or the picture of --svg; empty for standard output
  CheckSettings checks;  // the warnings of --check
};
using ViewMode = ViewRequest::Mode;

// Empty when the words make a request; otherwise the one-line message for bad usage.
std::string parse_view_command_line(int argc, const char* const* argv, ViewRequest& request);

// The usage that --help prints.
std::string view_usage();

}  // namespace kvr

#endif  // KVR_VIEW_VIEW_COMMAND_LINE_H_

// kvrview's command line. Options come before, between or after the one input file; `--' ends the
// options, so that a file name may begin with '-'. A mode (--svg, --json, --cfg, --check) chooses
// what is made, and without one the DOT graph is; at most one mode may be given. `-o FILE' sends
// what is made to a file instead of standard output; --svg names its picture itself, and --check
// makes nothing but its diagnostic.
#ifndef KVR_VIEW_VIEW_COMMAND_LINE_H_
#define KVR_VIEW_VIEW_COMMAND_LINE_H_

#include <string>

namespace kvr {

struct ViewRequest {
  enum class Mode { kDot, kSvg, kJson, kConfigText, kCheck, kHelp } mode = Mode::kDot;
  bool group = false;  // draw a run of like devices as one node
  std::string input;   // the one input file
  std::string output;  // -o FILE or the picture of --svg; empty for standard output
};
using ViewMode = ViewRequest::Mode;

// Empty when the words make a request; otherwise the one-line message for bad usage.
std::string parse_view_command_line(int argc, const char* const* argv, ViewRequest& request);

// The usage that --help prints.
extern const char kViewUsage[];

}  // namespace kvr

#endif  // KVR_VIEW_VIEW_COMMAND_LINE_H_

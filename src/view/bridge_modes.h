// kvrview's modes that bridge a board to the open JTAG tools: --openocd, --svf and --import make a
// text as the other modes do; --serve runs the board as a simulated scan path until it is told to
// stop.
#ifndef KVR_VIEW_BRIDGE_MODES_H_
#define KVR_VIEW_BRIDGE_MODES_H_

#include <cstdio>
#include <string>
#include <vector>

#include "view/view_command_line.h"

namespace kvr {

bool makes_bridge_text(ViewMode mode);

// The OpenOCD script, the SVF padding or the imported board.cfg in `result`; false with the
// message for standard error in `problem`. An import also gives, in `files_read` when given, every
// file it read: the files named, then those its scripts found or sourced.
bool make_bridge_text(const ViewRequest& request, std::string& result, std::string& problem,
                      std::vector<std::string>* files_read = nullptr);

// Serves the input board until a client sends 'Q' or SIGINT or SIGTERM arrives. Returns the exit
// status: 0, or 1 when the board cannot be read or the port cannot be listened on.
int serve_board(const ViewRequest& request, std::FILE* out, std::FILE* err);

}  // namespace kvr

#endif  // KVR_VIEW_BRIDGE_MODES_H_

// The usage of each of kvrview's modes on its own, which `kvrview MODE --help' prints: how it is
// called, what it does, the options it takes and an example.
#ifndef KVR_VIEW_MODE_HELP_H_
#define KVR_VIEW_MODE_HELP_H_

#include <string>

#include "view/view_command_line.h"

namespace kvr {

// The usage of `mode`; the whole usage for the DOT graph, the mode of no mode word.
std::string mode_usage(ViewMode mode);

}  // namespace kvr

#endif  // KVR_VIEW_MODE_HELP_H_

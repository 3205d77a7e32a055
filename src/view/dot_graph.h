// The scan path of a board as a Graphviz graph (DOT): the main path left to right from TDI to TDO,
// each device a node labelled with its name and class, and each scan-path linker a cluster in
// which its four sub-paths run from the linker to the point where they meet again. A device read
// from a configuration file shows its class ID; one read from a database shows the high-level
// class the database holds, in hexadecimal, since a database keeps no class ID. With `group`, a
// run of like devices that a version 2 database stores as one device group is one node that says
// how many devices it stands for.
#ifndef KVR_VIEW_DOT_GRAPH_H_
#define KVR_VIEW_DOT_GRAPH_H_

#include <string>

#include "lint/board_input.h"

namespace kvr {

std::string dot_graph(const LoadedBoard& loaded, bool group);

}  // namespace kvr

#endif  // KVR_VIEW_DOT_GRAPH_H_

#include "view/picture_render.h"

#include "database/scan_paths.h"

#if KVR_HAVE_GRAPHVIZ
#include <graphviz/gvc.h>
#endif

namespace kvr {
namespace {

// The nodes of the picture: one for each device drawn (a run of like devices with --group), and
// one where each linker's sub-paths meet again.
std::size_t nodes_of(const LoadedBoard& loaded, bool group) {
  const StoredBoard& board = loaded.board;
  if (!group) return board.devices.size() + scan_paths(board).sub_paths.size();
  const ScanPaths paths = scan_paths(board);
  std::size_t nodes = device_groups(board, paths.main).size() + paths.sub_paths.size();
  for (const auto& [linker, sub_paths] : paths.sub_paths) {
    for (const DevicePath& path : sub_paths) nodes += device_groups(board, path).size();
  }
  return nodes;
}

}  // namespace

std::string picture_refusal(const LoadedBoard& loaded, bool group) {
  const std::size_t nodes = nodes_of(loaded, group);
  const std::size_t linkers = scan_paths(loaded.board).sub_paths.size();
  if (nodes <= kMostPictureNodes && linkers <= kMostPictureLinkers) return "";
  std::string text = "kvrview: " + loaded.file_name + ": a picture of " + std::to_string(nodes) +
                     " nodes and " + std::to_string(linkers) +
                     (linkers == 1 ? " linker" : " linkers") +
                     " is more than kvrview draws (at most " + std::to_string(kMostPictureNodes) +
                     " nodes and " + std::to_string(kMostPictureLinkers) +
                     " linkers, which Graphviz lays out in a few seconds; its time grows faster "
                     "than the board)\n";
  const std::size_t grouped = nodes_of(loaded, true);
  if (!group && grouped <= kMostPictureNodes && linkers <= kMostPictureLinkers) {
    text +=
        "kvrview: --group draws each run of like devices as one node: " + std::to_string(grouped) +
        " nodes\n";
  }
  return text + "kvrview: or write the DOT text (kvrview " + std::string(group ? "--group " : "") +
         "FILE > board.dot) and lay it out with `dot -Tsvg board.dot', which may take minutes\n";
}

#if KVR_HAVE_GRAPHVIZ

bool render_picture(const std::string& dot, const std::string& format, std::string& picture,
                    std::string& problem) {
  GVC_t* context = gvContext();
  Agraph_t* graph = context != nullptr ? agmemread(dot.c_str()) : nullptr;
  bool rendered = false;
  if (graph != nullptr && gvLayout(context, graph, "dot") == 0) {
    char* data = nullptr;
    unsigned int length = 0;
    if (gvRenderData(context, graph, format.c_str(), &data, &length) == 0 && data != nullptr) {
      picture.assign(data, length);
      rendered = true;
    }
    gvFreeRenderData(data);
    gvFreeLayout(context, graph);
  }
  if (graph != nullptr) agclose(graph);
  if (context != nullptr) gvFreeContext(context);
  if (!rendered) {
    problem = "kvrview: Graphviz could not lay out or render the graph as " + format + "\n";
  }
  return rendered;
}

#else

bool render_picture(const std::string&, const std::string& format, std::string&,
                    std::string& problem) {
  problem = "kvrview: this build has no Graphviz library, so it cannot draw " + format +
            "; write the graph with `kvrview FILE > board.dot' and render it with `dot -T" +
            format + " board.dot'\n";
  return false;
}

#endif

}  // namespace kvr

// Renders a DOT graph as SVG through Graphviz's own library, where the build found it.
#ifndef KVR_VIEW_SVG_RENDER_H_
#define KVR_VIEW_SVG_RENDER_H_

#include <string>

namespace kvr {

// On success `svg` holds the picture; otherwise `problem` says why, for standard error. A build
// without Graphviz's library always says so.
bool render_svg(const std::string& dot, std::string& svg, std::string& problem);

}  // namespace kvr

#endif  // KVR_VIEW_SVG_RENDER_H_

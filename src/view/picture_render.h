// Renders a DOT graph as a picture (PNG, PDF or SVG) through Graphviz's own library, where the
// build found it, and bounds what it is asked to draw.
#ifndef KVR_VIEW_PICTURE_RENDER_H_
#define KVR_VIEW_PICTURE_RENDER_H_

#include <cstddef>
#include <string>

#include "lint/board_input.h"

namespace kvr {

// The most that a picture is drawn of. Graphviz's layout (dot) takes time that grows faster than
// the graph, and far faster with every linker, whose sub-paths are a cluster: on the development
// machine 2,000 nodes take about a second and 10,000 some 8 s, 50 linkers under a second and 100
// some 3 s, and 100,000 devices did not finish in 100 s (bench/picture_layout.sh measures it).
// The DOT text has no bound: it is written in time linear in the board.
inline constexpr std::size_t kMostPictureNodes = 2000;
inline constexpr std::size_t kMostPictureLinkers = 50;

// Empty when the picture of the board (with --group when `group`) is within the bounds above;
// otherwise the refusal for standard error, which says what --group would draw and how the DOT
// text gives the picture all the same.
std::string picture_refusal(const LoadedBoard& loaded, bool group);

// On success `picture` holds the bytes of the picture in `format` ("png", "pdf" or "svg");
// otherwise `problem` says why, for standard error. A build without Graphviz's library always
// says so.
bool render_picture(const std::string& dot, const std::string& format, std::string& picture,
                    std::string& problem);

}  // namespace kvr

#endif  // KVR_VIEW_PICTURE_RENDER_H_

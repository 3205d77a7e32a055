// Renders a DOT graph as a picture (PNG, PDF or SVG) through Graphviz's own library, where the
// build found it.
#ifndef KVR_VIEW_PICTURE_RENDER_H_
#define KVR_VIEW_PICTURE_RENDER_H_

#include <string>

namespace kvr {

// On success `picture` holds the bytes of the picture in `format` ("png", "pdf" or "svg");
// otherwise `problem` says why, for standard error. A build without Graphviz's library always
// says so.
bool render_picture(const std::string& dot, const std::string& format, std::string& picture,
                    std::string& problem);

}  // namespace kvr

#endif  // KVR_VIEW_PICTURE_RENDER_H_

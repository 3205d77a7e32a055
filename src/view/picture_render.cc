#include "view/picture_render.h"

#if KVR_HAVE_GRAPHVIZ
#include <graphviz/gvc.h>
#endif

namespace kvr {

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

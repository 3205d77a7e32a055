#include "view/dot_graph.h"

#include "database/scan_paths.h"
#include "lint/class_ids.h"

namespace kvr {
namespace {

// A DOT string: quotes and backslashes escaped, every byte outside printable ASCII a '?'; "\n"
// in `text` is a line break of the label.
std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '"' || c == '\\') {
      (out += '\\') += c;
    } else {
      out += c >= ' ' && c <= '~' ? c : '?';
    }
  }
  return out + "\"";
}

std::string node_id(std::size_t index) {
  return "d" + std::to_string(index + 1);
}

std::string class_label(const LoadedBoard& loaded, std::size_t index) {
  if (!loaded.class_ids.empty()) return loaded.class_ids[index];
  return hex_text(loaded.board.high_level[index]);
}

std::string name_of(const LoadedBoard& loaded, std::size_t index) {
  return std::string(name_in(loaded.board.name_fields[index]));
}

std::string ir_label(const LoadedBoard& loaded, std::size_t index) {
  return "IR " + std::to_string(loaded.board.devices[index].mainIR);
}

std::string total_text(const PathTotal& total) {
  if (total.devices == 0) return "empty";
  return std::to_string(total.devices) + (total.devices == 1 ? " device, " : " devices, ") +
         std::to_string(total.ir_bits) + " IR bits";
}

// The graph's title: the file, and what its main path and each sub-path add up to.
std::string title(const LoadedBoard& loaded, const ScanPaths& paths) {
  std::string text = loaded.file_name + ": version " + std::to_string(loaded.board.version) +
                     (loaded.from_database ? " board database" : " board configuration") +
                     "\nmain path: " + total_text(path_total(loaded.board, paths.main));
  for (const auto& [linker, sub_paths] : paths.sub_paths) {
    text += "\n" + name_of(loaded, linker) + ":";
    for (std::size_t k = 0; k < sub_paths.size(); ++k) {
      text += (k == 0 ? " sub-path " : "; ") + std::to_string(k) + ": " +
              total_text(path_total(loaded.board, sub_paths[k]));
    }
  }
  return text;
}

// The nodes and edges of one path from `from` to `to`, each group of like devices one node when
// `group` is set; `edge` holds the attributes of the path's first edge, and an empty sub-path is
// a dotted edge.
void draw_path(const LoadedBoard& loaded, const DevicePath& path, bool group,
               const std::string& from, const std::string& to, const std::string& edge,
               std::string& out) {
  std::string previous = from;
  std::string look = edge;
  std::vector<std::pair<std::size_t, std::size_t>> runs = device_groups(loaded.board, path);
  if (!group) {
    runs.clear();
    for (const std::size_t i : path) runs.emplace_back(i, 1);
  }
  for (const auto& [first, count] : runs) {
    std::string label =
        name_of(loaded, first) + "\n" + class_label(loaded, first) + "\n" + ir_label(loaded, first);
    if (count > 1) {
      const std::string last = class_label(loaded, first + count - 1);
      const std::string classes =
          class_label(loaded, first) + (last == class_label(loaded, first) ? "" : " .. " + last);
      label = name_of(loaded, first) + " .. " + name_of(loaded, first + count - 1) + "\n" +
              std::to_string(count) + " x " + classes + "\n" + ir_label(loaded, first) + " each";
    }
    out += "  " + node_id(first) + " [label=" + quoted(label) + "];\n";
    out +=
        "  " + previous + " -> " + node_id(first) + (look.empty() ? "" : " [" + look + "]") + ";\n";
    previous = node_id(first);
    look.clear();
  }
  if (path.empty() && !edge.empty()) look += ", style=dotted";
  out += "  " + previous + " -> " + to + (look.empty() ? "" : " [" + look + "]") + ";\n";
}

void draw_linker(const LoadedBoard& loaded, std::size_t linker,
                 const std::array<DevicePath, 4>& sub_paths, bool group, std::string& out) {
  const std::string id = node_id(linker);
  out += "  subgraph cluster_" + id +
         " {\n  style=dashed;\n  label=" + quoted(name_of(loaded, linker) + ": four sub-paths") +
         ";\n";
  out += "  " + id + " [label=" +
         quoted(name_of(loaded, linker) + "\n" + class_label(loaded, linker) + "\n" +
                ir_label(loaded, linker)) +
         ", shape=box, style=\"\", ordering=out];\n";
  out += "  " + id + "_out [label=\"\", shape=point];\n";
  // Drawn from left to right, a rank is laid out from the bottom up: sub-path 0 comes last, so
  // that it stands on top.
  for (std::size_t k = 4; k-- > 0;) {
    draw_path(loaded, sub_paths[k], group, id, id + "_out", "label=\"" + std::to_string(k) + "\"",
              out);
  }
  out += "  }\n";
}

}  // namespace

std::string dot_graph(const LoadedBoard& loaded, bool group) {
  const ScanPaths paths = scan_paths(loaded.board);
  std::string out = "digraph board {\n";
  out +=
      "  graph [rankdir=LR, fontname=Helvetica, labelloc=t, label=" + quoted(title(loaded, paths)) +
      "];\n";
  out += "  node [shape=box, style=rounded, fontname=Helvetica];\n";
  out += "  edge [fontname=Helvetica, fontsize=10];\n";
  out += "  tdi [label=\"TDI\", shape=circle];\n  tdo [label=\"TDO\", shape=circle];\n";
  // The main path in pieces: the devices up to each linker, then the linker's cluster.
  std::string previous = "tdi";
  DevicePath piece;
  for (const std::size_t i : paths.main) {
    const auto linker = paths.sub_paths.find(i);
    if (linker == paths.sub_paths.end()) {
      piece.push_back(i);
      continue;
    }
    draw_path(loaded, piece, group, previous, node_id(i), "", out);
    draw_linker(loaded, i, linker->second, group, out);
    previous = node_id(i) + "_out";
    piece.clear();
  }
  draw_path(loaded, piece, group, previous, "tdo", "", out);
  return out + "}\n";
}

}  // namespace kvr

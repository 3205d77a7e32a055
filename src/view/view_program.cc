#include "view/view_program.h"

#include <new>
#include <string>

#include "base/file_open.h"
#include "database/file_kind.h"
#include "view/board_input.h"
#include "view/bridge_modes.h"
#include "view/config_text.h"
#include "view/diagnostics.h"
#include "view/dot_graph.h"
#include "view/json_export.h"
#include "view/svg_render.h"
#include "view/view_command_line.h"

namespace kvr {
namespace {

constexpr int kExitBadInput = 1;
constexpr int kExitBadUsage = 2;

// The graph, the picture or the JSON of a board read from either kind of file.
bool show(const ViewRequest& request, InputFile& input, std::string& result, std::string& problem) {
  LoadedBoard loaded;
  if (!load_board(request.input, input, loaded, problem)) return false;
  if (request.mode == ViewMode::kJson) {
    result = json_export(loaded);
    return true;
  }
  result = dot_graph(loaded, request.group);
  if (request.mode != ViewMode::kSvg) return true;
  std::string svg;
  const bool rendered = render_svg(result, svg, problem);
  result.swap(svg);
  return rendered;
}

// A board.cfg made from a database.
bool config_text(const ViewRequest& request, const InputFile& input, std::string& result,
                 std::string& problem) {
  if (input.kind != kKindDatabaseFile) {
    problem =
        request.input + ": error: a board configuration file, where --cfg reads a board database\n";
    return false;
  }
  std::string refusal;
  if (config_text_of(contents(input.stream), input.version, request.input, result, refusal))
    return true;
  problem = request.input + ": error: no board.cfg compiles to this database: " + refusal + "\n";
  return false;
}

// What the request makes of its input, in `result`; false with the message in `problem`.
bool make(const ViewRequest& request, std::string& result, std::string& problem) {
  if (makes_bridge_text(request.mode)) return make_bridge_text(request, result, problem);
  InputFile input;
  bool made = open_input(request.input, input, problem);
  if (made && request.mode == ViewMode::kConfigText) {
    made = config_text(request, input, result, problem);
  } else if (made && request.mode == ViewMode::kCheck) {
    LoadedBoard loaded;
    made = input.kind == kKindConfigFile && parse_config(request.input, input, loaded, problem);
    if (input.kind != kKindConfigFile) {
      problem = request.input +
                ": error: a board database, where --check reads a board configuration file\n";
    }
  } else if (made) {
    made = show(request, input, result, problem);
  }
  close_input(input);
  return made;
}

// Writes `result` to the output file, or to `out` without one. A file that cannot be written
// whole is removed.
bool deliver(const ViewRequest& request, const std::string& result, std::FILE* out,
             std::string& problem) {
  if (request.mode == ViewMode::kCheck) return true;
  if (request.output.empty()) {
    problem = "kvrview: cannot write standard output\n";
    return std::fwrite(result.data(), 1, result.size(), out) == result.size() &&
           std::fflush(out) == 0;
  }
  std::FILE* file = open_file(request.output, "wb");
  bool written = file != nullptr;
  if (file != nullptr) {
    written = std::fwrite(result.data(), 1, result.size(), file) == result.size();
    written = close_file(file) == 0 && written;
    if (!written) std::remove(resolve_host_path(request.output, PathUse::kWriting).c_str());
  }
  if (!written) problem = "kvrview: cannot write `" + request.output + "'\n";
  return written;
}

}  // namespace

int run_view(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  try {
    ViewRequest request;
    const std::string usage_error = parse_view_command_line(argc, argv, request);
    if (usage_error.empty() && !request.output.empty() &&
        same_file(request.input, request.output)) {
      std::fprintf(err, "kvrview: the output file `%s' is the input file\n",
                   request.output.c_str());
      return kExitBadUsage;
    }
    if (!usage_error.empty()) {
      std::fprintf(err, "%s\n", usage_error.c_str());
      return kExitBadUsage;
    }
    if (request.mode == ViewMode::kHelp) {
      std::fputs(kViewUsage, out);
      return 0;
    }
    if (request.mode == ViewMode::kServe) return serve_board(request, out, err);
    std::string result;
    std::string problem;
    if (!make(request, result, problem) || !deliver(request, result, out, problem)) {
      std::fputs(problem.c_str(), err);
      return kExitBadInput;
    }
    return 0;
  } catch (const std::bad_alloc&) {
    print_memory_diagnostic("kvrview", err);
    return kExitBadInput;
  }
}

}  // namespace kvr

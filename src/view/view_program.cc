#include "view/view_program.h"

#include <new>
#include <string>

#include "base/file_open.h"
#include "database/file_kind.h"
#include "lint/board_checks.h"
#include "lint/board_input.h"
#include "lint/diagnostics.h"
#include "view/board_diff.h"
#include "view/board_warnings.h"
#include "view/bridge_modes.h"
#include "view/build_mode.h"
#include "view/config_text.h"
#include "view/dot_graph.h"
#include "view/json_export.h"
#include "view/mode_help.h"
#include "view/picture_render.h"
#include "view/view_command_line.h"

namespace kvr {
namespace {

constexpr int kExitBadInput = 1;
constexpr int kExitBadUsage = 2;

// What a run makes: the output, and the messages for standard error (diagnostics, or warnings
// beside a result). --diff tells whether the boards differ.
struct Made {
  bool ok = false;
  bool differ = false;
  std::string result, messages;
};

// The graph, the picture or the JSON of a board read from either kind of file.
void show(const ViewRequest& request, InputFile& input, Made& made) {
  LoadedBoard loaded;
  if (!load_checked_board(request, request.input, input, loaded, made.messages)) return;
  if (request.mode == ViewMode::kJson) {
    made.result = json_export(loaded);
    made.ok = true;
    return;
  }
  if (request.mode == ViewMode::kPicture) {
    const std::string refusal = picture_refusal(loaded, request.group);
    made.messages += refusal;
    if (!refusal.empty()) return;
  }
  made.result = dot_graph(loaded, request.group);
  if (request.mode != ViewMode::kPicture) {
    made.ok = true;
    return;
  }
  std::string picture;
  made.ok = render_picture(made.result, request.format, picture, made.messages);
  made.result.swap(picture);
}

// A board.cfg made from a database.
void config_text(const ViewRequest& request, const InputFile& input, Made& made) {
  if (input.kind != kKindDatabaseFile) {
    made.messages =
        request.input + ": error: a board configuration file, where --cfg reads a board database\n";
    return;
  }
  std::string refusal;
  made.ok =
      config_text_of(contents(input.stream), input.version, request.input, made.result, refusal);
  if (!made.ok) {
    made.messages =
        request.input + ": error: no board.cfg compiles to this database: " + refusal + "\n";
  }
}

// The parser's error and the checks' warnings of a board.cfg.
void check(const ViewRequest& request, const InputFile& input, Made& made) {
  if (input.kind != kKindConfigFile) {
    made.messages = request.input +
                    ": error: a board database, where --check reads a board configuration file\n";
    return;
  }
  CheckedConfig checked;
  check_config(request.input, input, check_settings_for(request), checked);
  made.ok = !checked.failed;
  made.messages = checked.messages;
}

// The differences of two boards; `ok` when both were read.
void diff(const ViewRequest& request, Made& made) {
  LoadedBoard a, b;
  if (!read_checked_board(request, request.imports[0], a, made.messages) ||
      !read_checked_board(request, request.imports[1], b, made.messages)) {
    return;
  }
  const BoardDiff found = board_diff(a, b);
  made.messages += found.notes;
  made.result = found.lines;
  made.differ = !found.lines.empty();
  made.ok = true;
}

Made make(const ViewRequest& request) {
  Made made;
  if (makes_bridge_text(request.mode)) {
    made.ok = make_bridge_text(request, made.result, made.messages);
    return made;
  }
  if (request.mode == ViewMode::kDiff) {
    diff(request, made);
    return made;
  }
  if (request.mode == ViewMode::kBuild) {
    made.ok = build_database(request, made.result, made.messages);
    return made;
  }
  InputFile input;
  if (!open_input(request.input, input, made.messages)) return made;
  if (request.mode == ViewMode::kConfigText) {
    config_text(request, input, made);
  } else if (request.mode == ViewMode::kCheck) {
    check(request, input, made);
  } else {
    show(request, input, made);
  }
  close_input(input);
  return made;
}

// Writes `result` to the output file, or to `out` without one (--check makes nothing to write).
// A file is replaced only once the whole of `result` is written; until then it stays as it was.
bool deliver(const ViewRequest& request, const std::string& result, std::FILE* out,
             std::string& problem) {
  if (to_standard_output(request)) {
    problem = "kvrview: cannot write standard output\n";
    return std::fwrite(result.data(), 1, result.size(), out) == result.size() &&
           std::fflush(out) == 0;
  }
  std::string reason;
  if (write_whole_file(request.output, result, reason)) return true;
  problem = "kvrview: cannot write `" + request.output + "': " + reason + "\n";
  return false;
}

// Whether `output` is one of the files the request reads, under any name.
bool reads(const ViewRequest& request, const std::string& output) {
  if (output.empty()) return false;
  for (const std::string& input : request.imports) {
    if (same_file(input, output)) return true;
  }
  return false;
}

}  // namespace

int run_view(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  ViewRequest request;
  try {
    const std::string usage_error = parse_view_command_line(argc, argv, request);
    if (usage_error.empty() && reads(request, request.output)) {
      std::fprintf(err, "kvrview: the output file `%s' is the input file\n",
                   request.output.c_str());
      return kExitBadUsage;
    }
    if (!usage_error.empty()) {
      std::fprintf(err, "%s\n", usage_error.c_str());
      return kExitBadUsage;
    }
    if (request.mode == ViewMode::kHelp || request.mode == ViewMode::kVersion) {
      const std::string text = request.mode == ViewMode::kHelp ? mode_usage(request.help_for)
                                                               : "kvrview " KVR_VERSION "\n";
      std::fputs(text.c_str(), out);
      return 0;
    }
    if (request.mode == ViewMode::kServe) return serve_board(request, out, err);
    Made made = make(request);
    std::fputs(made.messages.c_str(), err);
    // --diff ends as diff does: 0 for the same boards, 1 when they differ, 2 on trouble.
    const int failed = request.mode == ViewMode::kDiff ? kExitBadUsage : kExitBadInput;
    std::string problem;
    if (made.ok && !deliver(request, made.result, out, problem)) {
      std::fputs(problem.c_str(), err);
      return failed;
    }
    return !made.ok ? failed : made.differ ? 1 : 0;
  } catch (const std::bad_alloc&) {
    print_memory_diagnostic("kvrview", err);
    return request.mode == ViewMode::kDiff ? kExitBadUsage : kExitBadInput;
  }
}

}  // namespace kvr

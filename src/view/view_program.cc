#include "view/view_program.h"

#include <new>
#include <string>
#include <vector>

#include "base/file_open.h"
#include "database/file_kind.h"
#include "lint/board_analysis.h"
#include "lint/board_checks.h"
#include "lint/board_format.h"
#include "lint/board_loading.h"
#include "lint/diagnostics.h"
#include "lint/sarif_log.h"
#include "lsp/language_server.h"
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
  bool failed = false;    // made, and yet the exit status is 1: a SARIF log of findings that fail
  bool in_place = false;  // already written: --fmt --in-place
  bool differ = false;    // --diff: the boards differ
  std::string result, messages;
  std::vector<std::string> read;  // an import's: every file it read, sourced scripts included
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
  const BoardAnalysis analysis =
      analyse_board_text(request.input, contents(input.stream), check_settings_for(request));
  if (request.format == "sarif") {
    made.result = sarif_log(analysis, KVR_VERSION);
    made.ok = true;
    made.failed = analysis.failed;
    return;
  }
  made.ok = !analysis.failed;
  made.messages = check_text(analysis);
}

// A board.cfg in its canonical layout, or the reason it is left as it is.
void format_text(const ViewRequest& request, InputFile& input, Made& made) {
  if (input.kind != kKindConfigFile) {
    made.messages =
        request.input + ": error: a board database, where --fmt reads a board configuration file\n";
    return;
  }
  const std::string text = contents(input.stream);
  FormatResult formatted = format_board_text(text);
  if (!formatted.ok) {
    made.messages = request.input + ": error: left as it is: " + formatted.reason + "\n";
    return;
  }
  made.ok = true;
  if (!request.in_place) {
    made.result = std::move(formatted.text);
    return;
  }
  // Closed first: Windows replaces no file that is still open.
  close_input(input);
  std::string reason;
  if (formatted.text != text && !write_whole_file(request.input, formatted.text, reason)) {
    made.ok = false;
    made.messages = "kvrview: cannot write `" + request.input + "': " + reason + "\n";
  }
  made.in_place = true;
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
    made.ok = make_bridge_text(request, made.result, made.messages, &made.read);
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
  } else if (request.mode == ViewMode::kFormat) {
    format_text(request, input, made);
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

// The first of `inputs` that is the file `output`, under any name; empty when none is.
std::string reads(const std::vector<std::string>& inputs, const std::string& output) {
  if (output.empty()) return "";
  for (const std::string& input : inputs) {
    if (same_file(input, output)) return input;
  }
  return "";
}

}  // namespace

int run_view(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  ViewRequest request;
  try {
    const std::string usage_error = parse_view_command_line(argc, argv, request);
    if (usage_error.empty() && !reads(request.imports, request.output).empty()) {
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
    if (request.mode == ViewMode::kLsp) return lsp::serve_language_on_standard_streams();
    Made made = make(request);
    std::fputs(made.messages.c_str(), err);
    // A file that a script the import evaluated found or sourced is known only now.
    if (const std::string read = reads(made.read, request.output); made.ok && !read.empty()) {
      std::fprintf(err, "kvrview: the output file `%s' is `%s', a file the import read\n",
                   request.output.c_str(), read.c_str());
      return kExitBadUsage;
    }
    // --diff ends as diff does: 0 for the same boards, 1 when they differ, 2 on trouble.
    const int failed = request.mode == ViewMode::kDiff ? kExitBadUsage : kExitBadInput;
    std::string problem;
    if (made.ok && !made.in_place && !deliver(request, made.result, out, problem)) {
      std::fputs(problem.c_str(), err);
      return failed;
    }
    return !made.ok ? failed : made.differ || made.failed ? 1 : 0;
  } catch (const std::bad_alloc&) {
    print_memory_diagnostic("kvrview", err);
    return request.mode == ViewMode::kDiff ? kExitBadUsage : kExitBadInput;
  }
}

}  // namespace kvr

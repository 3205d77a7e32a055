#include "view/board_warnings.h"

#include "database/file_kind.h"
#include "lint/board_analysis.h"
#include "lint/board_checks.h"
#include "lint/board_loading.h"
#include "lint/diagnostics.h"

namespace kvr {

CheckSettings check_settings_for(const ViewRequest& request) {
  CheckSettings settings = request.checks.resolved(request.mode == ViewMode::kBuild);
  if (request.quiet) settings.warnings = false;
  return settings;
}

void check_config(const std::string& name, const InputFile& input, const CheckSettings& settings,
                  CheckedConfig& checked) {
  BoardAnalysis analysis = analyse_board_text(name, contents(input.stream), settings);
  checked.parsed = analysis.complete && analysis.board.has_value();
  if (checked.parsed) checked.loaded = std::move(*analysis.board);
  checked.messages = check_text(analysis);
  checked.failed = analysis.failed;
  checked.reading = std::move(analysis.reading);
}

bool load_checked_board(const ViewRequest& request, const std::string& name, InputFile& input,
                        LoadedBoard& loaded, std::string& messages) {
  if (input.kind != kKindConfigFile) return load_board(name, input, loaded, messages);
  CheckedConfig checked;
  check_config(name, input, check_settings_for(request), checked);
  messages += checked.messages;
  loaded = std::move(checked.loaded);
  return checked.parsed && !checked.failed;
}

bool read_checked_board(const ViewRequest& request, const std::string& name, LoadedBoard& loaded,
                        std::string& messages) {
  InputFile input;
  std::string problem;
  const bool read =
      open_input(name, input, problem) && load_checked_board(request, name, input, loaded, problem);
  close_input(input);
  messages += problem;
  return read;
}

std::string label_refusal(const ViewRequest& request, const InputFile& input) {
  if ((input.version == 1) == request.version_1) return "";
  const std::string text = contents(input.stream);
  Diagnostic refusal;
  refusal.range = {1, 1, 0, 1, 0};
  if (input.version == 2) {
    refusal.message =
        "the label `;CFG-2.0' makes this a version 2 file, where --v1 asks for version 1";
    refusal.remarks.push_back({Remark::Kind::kHelp, {}, "leave out --v1 to build it as version 2"});
  } else {
    const char* what = label_late(text);
    refusal.message = std::string("the file does not begin with the label `;CFG-2.0'") +
                      (what != nullptr ? " (" + std::string(what) + " stands before it)" : "") +
                      ", so it would be read as a version 1 board configuration";
    refusal.remarks.push_back(
        {Remark::Kind::kHelp,
         {},
         "begin a version 2 file with the label itself; give --v1 to build a version 1 file"});
  }
  return render_diagnostic(request.input, refusal,
                           {{1, text.substr(0, text.find_first_of("\r\n"))}});
}

}  // namespace kvr

#include "frontend/run_sequence.h"

#include <new>

#include "base/console.h"
#include "commands/dispatcher.h"
#include "commands/library_services.h"
#include "frontend/command_line.h"
#include "frontend/console_text.h"
#include "frontend/extra_options.h"
#include "frontend/redirection.h"
#include "frontend/run_settings.h"

namespace kvr {
namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;

int abort_run(ScanLibrary& library, Status status, std::FILE* out) {
  print_section_banner(out, "%s", kAbortTitle);
  explain_error(library, status, out);
  return kExitFailure;
}

// What the dispatcher is asked to do, from the settings the command line left.
CommandRequest command_request(const RunSettings& settings) {
  CommandRequest request;
  request.verbose = settings.verbose;
  if (settings.generate != 0) {
    request.command = Command::kGenerate;
    request.version = settings.generate_version;
  } else if (settings.parse != 0) {
    request.command = Command::kParse;
    request.version = settings.parse_version;
  } else if (settings.analyse != 0) {
    request.command = Command::kAnalyse;
  }
  request.input_name = settings.input_name.value_or("");
  request.output_name = settings.output_name.value_or("");
  return request;
}

int run_stages(int count, const char* const* words, ScanLibrary& library, const FileAccess& files,
               std::FILE*& out, std::FILE* errors, RunSettings& settings) {
  std::FILE* const console = out;
  if (check_library_version(library, kProgramName, kProgramVersion, out) == 0) {
    return kExitFailure;
  }
  if (parse_command_line(settings, count, words, errors, out) != 0) return kExitFailure;
  if (redirection_clashes(settings, out) ||
      redirect_output(settings.redirect, settings.redirect_file_name, &out) != 0) {
    return kExitFailure;
  }

  print_information(settings.information, settings.verbose, out);
  if (settings.information != 0) return kExitSuccess;
  print_help(kBriefHelpLines, kManualLines, settings.help, settings.verbose, out);
  if (settings.help != 0) return kExitSuccess;

  if (settings.verbose != 0) std::fputs("\n", out);
  if (settings.extra_options != 0) {
    if (check_board_file(settings.config_file_name, settings.config_file_given, out) == 0) {
      return kExitFailure;
    }
    // Copies: the second parse may write to the settings these names come from.
    const std::string tail = settings.variable_tail;
    const std::string config_file = settings.config_file_name;
    Status status = load_extra_options(library, settings, kExtraOptionsPrefix, tail, config_file,
                                       parse_command_line, errors, out);
    if (status != kStatusOk) return abort_run(library, status, out);
    // The options of the variable may name the redirection file as the command's own.
    if (out != console && redirection_clashes(settings, console)) return kExitFailure;
  }
  if (Status status = report_operating_system(library, settings.verbose, out);
      status != kStatusOk) {
    return abort_run(library, status, out);
  }
  if (Status status = run_command(command_request(settings), out, files); status != kStatusOk) {
    return abort_run(library, status, out);
  }
  return kExitSuccess;
}

}  // namespace

int run_program(int count, const char* const* words, ScanLibrary& library, const FileAccess& files,
                std::FILE* out, std::FILE* errors) {
  std::FILE* console = out;
  int exit_status = kExitFailure;
  try {
    RunSettings settings;
    exit_status = run_stages(count, words, library, files, out, errors, settings);
  } catch (const std::bad_alloc&) {
    // Every stage reports its own allocation failures; this catches what the settings themselves
    // or a stage that forgot would let escape.
    exit_status = abort_run(library, kStatusNoMemory, out);
  }
  if (out != console) {
    std::fclose(out);  // the redirection file
  } else {
    std::fflush(out);
  }
  std::fflush(errors);
  return exit_status;
}

}  // namespace kvr

#include "frontend/run_sequence.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <string>

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
// Within the run only: refused because the redirection file is one the run uses (exit status 1).
constexpr int kExitRefusedLog = -1;

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
               std::FILE*& out, std::FILE* errors, RunSettings& settings, RedirectionFile& log) {
  std::FILE* const console = out;
  if (check_library_version(library, kProgramName, kProgramVersion, out) == 0) {
    return kExitFailure;
  }
  if (parse_command_line(settings, count, words, errors, out) != 0) return kExitFailure;
  const std::string log_name = settings.redirect != 0 ? settings.redirect_file_name : "";
  if (redirection_clashes(settings, log_name, out) ||
      redirect_output(settings.redirect, settings.redirect_file_name, &out, log) != 0) {
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
    // The options of the variable may name, as the command's own, the file that standard output
    // already goes to; a -o among them changes nothing, since the redirection is done.
    if (redirection_clashes(settings, log.name, console)) return kExitRefusedLog;
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

// Whether everything written to `out` (the console, or the redirection file `log`) arrived, once
// it is flushed or closed; otherwise says so in one line on `errors`.
bool output_arrived(std::FILE* out, const RedirectionFile& log, std::FILE* errors) {
  const bool failed_before = std::ferror(out) != 0;
  errno = 0;
  const int ended = log.stream != nullptr ? std::fclose(out) : std::fflush(out);
  const int error = errno;
  if (ended == 0 && !failed_before) return true;
  const std::string what = log.stream != nullptr ? "the redirection file `" + log.name + "'"
                                                 : std::string("standard output");
  std::fprintf(errors, "kvrbuild: %s could not be written%s%s\n", what.c_str(),
               error != 0 ? ": " : "", error != 0 ? std::strerror(error) : "");
  return false;
}

}  // namespace

int run_program(int count, const char* const* words, ScanLibrary& library, const FileAccess& files,
                std::FILE* out, std::FILE* errors) {
  RedirectionFile log;
  int exit_status = kExitFailure;
  try {
    RunSettings settings;
    exit_status = run_stages(count, words, library, files, out, errors, settings, log);
  } catch (const std::bad_alloc&) {
    // Every stage reports its own allocation failures; this catches what the settings themselves
    // or a stage that forgot would let escape.
    exit_status = abort_run(library, kStatusNoMemory, out);
  }
  if (exit_status == kExitRefusedLog) {
    // Refused after the redirection opened its file: a file this run made goes again.
    std::fclose(out);
    if (log.created) std::remove(log.path.c_str());
    exit_status = kExitFailure;
  } else if (!output_arrived(out, log, errors)) {
    exit_status = kExitFailure;
  }
  std::fflush(errors);
  return exit_status;
}

}  // namespace kvr

#include "commands/dispatcher.h"

#include <new>

#include "base/ascii.h"
#include "base/console.h"
#include "config/board_config_parser.h"
#include "database/database_analyser.h"
#include "database/database_writer.h"
#include "database/file_kind.h"

namespace kvr {
namespace {

constexpr const char* kStageHeader = "%s\n%s `%s'.\n";
constexpr const char* kConfigFileLabel = "The configure file is named:";
constexpr const char* kDatabaseFileLabel = "The database file is named:";
constexpr const char* kSyntaxError = "The configure file has a syntax error in line";
constexpr const char* kBadLineHint = "Use the verbose option `-v' to display the bad line";

// What sets the three commands apart until their own work begins.
struct Plan {
  const char* title;
  const char* input_mode;
  bool database_input;
  const char* header;  // the first line of the stage header
};

const Plan& plan_of(Command command) {
  static const Plan kParse = {"Parse a (text format) configuration file", "r", false,
                              "The configure file will now be parsed."};
  static const Plan kGenerate = {"Generate a database file from a configuration file", "r", false,
                                 "The configure file will now be parsed."};
  static const Plan kAnalyse = {"Analyse a (binary format) database file", "rb", true,
                                "The database file will now be analysed."};
  return command == Command::kParse ? kParse : command == Command::kGenerate ? kGenerate : kAnalyse;
}

// One command's streams; whatever is still open when the command ends is closed.
struct Streams {
  const FileAccess& files;
  std::FILE* input = nullptr;
  std::FILE* output = nullptr;

  explicit Streams(const FileAccess& access) : files(access) {}
  Streams(const Streams&) = delete;
  Streams& operator=(const Streams&) = delete;
  ~Streams() {
    close(input);
    close(output);
  }
  // The close's own result (0 for success), and 0 when nothing was open.
  int close(std::FILE*& stream) {
    const int result = stream != nullptr ? files.close(stream) : 0;
    stream = nullptr;
    return result;
  }
};

// Opens `name`; on failure says which file failed and why, and returns null.
std::FILE* open_or_report(const Streams& streams, const std::string& name, const char* mode,
                          bool database, std::FILE* out) {
  const OpenedFile opened = streams.files.open(name, mode);
  if (opened.stream == nullptr) {
    std::string why = mode[0] == 'w' ? "The file was not found or lacked write permission."
                                     : "The file was not found or lacked read permission.";
    if (!opened.reason.empty()) {  // a pipe or a device that could not be copied, say
      why = opened.reason + ".";
      why[0] = to_upper(why[0]);
    }
    std::fprintf(out, "%s\n%s `%s'.\n%s\n",
                 database ? "An error occurred when opening the database file."
                          : "An error occurred when opening the configure file.",
                 database ? kDatabaseFileLabel : kConfigFileLabel, name.c_str(), why.c_str());
  }
  return opened.stream;
}

// The message that turns an input away from the command, or null when the command can use it;
// `version` receives the version the input was recognised as.
const char* refusal(const CommandRequest& request, std::FILE* input, std::uint8_t& version) {
  std::uint16_t kind = 0;
  const bool known = recognise_file_kind(input, &kind, &version) == kStatusOk;
  const bool config = known && kind == kKindConfigFile;
  const bool database = known && kind == kKindDatabaseFile;
  switch (request.command) {
    case Command::kParse:
      if (database) {
        return "\nThe input file is recognised as a database file.\n"
               "Use the `-a' option to analyse it instead.\n";
      }
      if (config && version == request.version) return nullptr;
      return "\nThe input file is not recognised as a configure file\n"
             "of the chosen version.  Thus it cannot be parsed.\n";
    case Command::kGenerate:
      if (config && version == request.version) return nullptr;
      return "\nThe input file is not recognised as a configure file of\n"
             "the chosen version.  Thus a database file cannot be generated.\n";
    default:
      if (config) {
        return "\nThe input file is recognised as a configuration file.\n"
               "Use the `-p' option to parse it instead.\n";
      }
      if (database) return nullptr;
      return "\nThe input file is not recognised as a database file.\n"
             "Thus it cannot be analysed.\n";
  }
}

// The sequence every command starts with: open its files, name its input, and make sure the input
// is of the kind and version it works on, which `version` receives. False after the message that
// ends the command.
bool open_and_recognise(const CommandRequest& request, Streams& streams, std::FILE* out,
                        std::uint8_t& version) {
  const Plan& plan = plan_of(request.command);
  streams.input =
      open_or_report(streams, request.input_name, plan.input_mode, plan.database_input, out);
  if (streams.input == nullptr) return false;
  if (request.command == Command::kGenerate) {
    streams.output = open_or_report(streams, request.output_name, "wb", true, out);
    if (streams.output == nullptr) return false;
  }
  std::fprintf(out, kStageHeader, plan.header,
               plan.database_input ? kDatabaseFileLabel : kConfigFileLabel,
               request.input_name.c_str());
  if (request.verbose == 0) {
    std::fprintf(out, "%s\n", "For line-by-line output use the verbose option `-v'.");
  }
  if (const char* message = refusal(request, streams.input, version)) {
    std::fputs(message, out);
    return false;
  }
  return true;
}

// Closes the input; on failure says so and returns false.
bool close_input_or_report(Streams& streams, bool database, std::FILE* out) {
  if (streams.close(streams.input) == 0) return true;
  std::fprintf(out, "\n%s\n",
               database ? "A file system error occurred when closing the database file"
                        : "A file system error occurred when closing the configure file");
  return false;
}

// How a stage ended: go on with the command, or return `status` from it.
struct Outcome {
  bool go_on;
  Status status;
};

// Parses the input into `model` and closes it, reporting the outcome. A syntax error names its
// line; generate adds that no database file can be made.
Outcome parse_stage(const CommandRequest& request, Streams& streams, BoardModel& model,
                    std::FILE* out) {
  if (request.verbose != 0) std::fputs("\n", out);
  std::uint32_t line_number = 0;
  const LineSource source{streams.input, request.verbose, out};
  const Status status = parse_board_config(model, source, nullptr, &line_number, request.version);
  if (status != kStatusOk) {
    const int n = static_cast<int>(line_number);
    std::fprintf(out, "\n%s %d.\n", kSyntaxError, n);
    if (request.command == Command::kGenerate) {
      std::fputs("Thus the database file cannot be generated.\n", out);
    }
    if (request.verbose == 0) std::fprintf(out, "%s %d.\n", kBadLineHint, n);
    return {false, status};
  }
  if (!close_input_or_report(streams, false, out)) return {false, kStatusOk};
  std::fputs("\nThe configure file has been successfully parsed.\n", out);
  return {true, kStatusOk};
}

Status generate_stage(const CommandRequest& request, Streams& streams, const BoardModel& model,
                      std::FILE* out) {
  std::fputs("\n", out);
  std::fprintf(out, kStageHeader, "The database file will now be generated.", kDatabaseFileLabel,
               request.output_name.c_str());
  const Status status = write_board_database(model, streams.output, request.version);
  if (status != kStatusOk) {
    std::fputs("\nThe database generated has returned an error and cannot complete.\n", out);
    return status;
  }
  if (streams.close(streams.output) != 0) {
    std::fprintf(out, "\n%s\n", "A file system error occurred when closing the database file");
    return kStatusOk;
  }
  std::fputs("\nThe database file has been successfully generated.\n", out);
  return kStatusOk;
}

Status analyse_stage(const CommandRequest& request, Streams& streams, std::uint8_t version,
                     std::FILE* out) {
  if (request.verbose != 0) std::fputs("\n", out);
  BoardModel counts;
  const Status status =
      analyse_board_database(counts, streams.input, request.verbose, version, out);
  if (status != kStatusOk) {
    std::fputs("\nThe database analysis has returned an error and cannot complete.\n", out);
    return status;
  }
  if (!close_input_or_report(streams, true, out)) return kStatusOk;
  std::fputs("\nThe database file has been successfully analysed.\n", out);
  return kStatusOk;
}

}  // namespace

Status run_command(const CommandRequest& request, std::FILE* out, const FileAccess& files) {
  // Options taken from a configure variable may leave no command: nothing to open or show.
  if (request.command == Command::kNone) return kStatusOk;
  try {
    print_section_banner(out, "%s", plan_of(request.command).title);
    Streams streams(files);
    std::uint8_t version = 0;
    if (!open_and_recognise(request, streams, out, version)) return kStatusOk;
    if (request.command == Command::kAnalyse) return analyse_stage(request, streams, version, out);
    BoardModel model;
    model.keep_devices = request.command == Command::kGenerate;
    model.keep_variables = request.command == Command::kGenerate && request.version == 2;
    const Outcome parsed = parse_stage(request, streams, model, out);
    if (!parsed.go_on || request.command == Command::kParse) return parsed.status;
    return generate_stage(request, streams, model, out);
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
}

}  // namespace kvr

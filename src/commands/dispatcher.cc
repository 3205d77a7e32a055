#include "commands/dispatcher.h"

#include "config/board_config_parser.h"
#include "database/database_analyser.h"
#include "database/database_writer.h"
#include "database/file_kind.h"
#include "frontend/console_text.h"

namespace kvr {
namespace {

constexpr const char* kStageHeader = "%s\n%s `%s'.\n";
constexpr const char* kOpenFailure = "%s\n%s `%s'.\n%s\n";
constexpr const char* kVerboseHint = "For line-by-line output use the verbose option `-v'.";
constexpr const char* kSyntaxError = "The configure file has a syntax error in line";
constexpr const char* kBadLineHint = "Use the verbose option `-v' to display the bad line";
constexpr const char* kConfigFileLabel = "The configure file is named:";
constexpr const char* kDatabaseFileLabel = "The database file is named:";

// One command's streams; whatever is still open when the command ends is closed.
struct CommandStreams {
  const FileAccess& files;
  std::FILE* input = nullptr;
  std::FILE* output = nullptr;

  explicit CommandStreams(const FileAccess& access) : files(access) {}
  CommandStreams(const CommandStreams&) = delete;
  CommandStreams& operator=(const CommandStreams&) = delete;
  ~CommandStreams() {
    close_input();
    close_output();
  }
  // Each returns the close's own result (0 for success), and 0 when nothing was open.
  int close_input() { return close(input); }
  int close_output() { return close(output); }

 private:
  int close(std::FILE*& stream) {
    if (stream == nullptr) return 0;
    int result = files.close(stream);
    stream = nullptr;
    return result;
  }
};

struct FileRecognition {
  Status status = kStatusOk;
  std::uint16_t kind = 0;
  std::uint8_t version = 0;

  bool is_config(std::uint8_t wanted) const {
    return status == kStatusOk && kind == kKindConfigFile && version == wanted;
  }
  bool is_config_any() const { return status == kStatusOk && kind == kKindConfigFile; }
  bool is_database() const { return status == kStatusOk && kind == kKindDatabaseFile; }
};

FileRecognition recognise(std::FILE* input) {
  FileRecognition result;
  result.status = recognise_file_kind(input, &result.kind, &result.version);
  return result;
}

void print_header(std::FILE* out, const char* sentence, const char* label, const std::string& name,
                  std::uint16_t verbose) {
  std::fprintf(out, kStageHeader, sentence, label, name.c_str());
  if (verbose == 0) std::fprintf(out, "%s\n", kVerboseHint);
}

// Prints the outcome of a failed parse; the hint to -v only in brief mode.
void print_syntax_error(std::FILE* out, std::uint32_t line_number, std::uint16_t verbose,
                        const char* consequence) {
  std::fputs("\n", out);
  if (consequence == nullptr) {
    std::fprintf(out, "%s %d.\n", kSyntaxError, static_cast<int>(line_number));
  } else {
    std::fprintf(out, "%s %d.\n%s\n", kSyntaxError, static_cast<int>(line_number), consequence);
  }
  if (verbose == 0) std::fprintf(out, "%s %d.\n", kBadLineHint, static_cast<int>(line_number));
}

void clean_up(RunSettings& settings, BoardModel& model, LineState& line) {
  settings.input_name.reset();
  settings.output_name.reset();
  release_board_model(model, line);
}

// Opens `name`; on failure prints which file failed and why, and returns null.
std::FILE* open_or_report(CommandStreams& streams, const std::string& name, const char* mode,
                          bool database, std::FILE* out) {
  std::FILE* stream = streams.files.open(name, mode);
  if (stream == nullptr) {
    const bool writing = mode[0] == 'w';
    std::fprintf(out, kOpenFailure,
                 database ? "An error occurred when opening the database file."
                          : "An error occurred when opening the configure file.",
                 database ? kDatabaseFileLabel : kConfigFileLabel, name.c_str(),
                 writing ? "The file was not found or lacked write permission."
                         : "The file was not found or lacked read permission.");
  }
  return stream;
}

// Closes the input; on failure prints so and returns false.
bool close_input_or_report(CommandStreams& streams, bool database, std::FILE* out) {
  if (streams.close_input() == 0) return true;
  std::fprintf(out, "\n%s\n",
               database ? "A file system error occurred when closing the database file"
                        : "A file system error occurred when closing the configure file");
  return false;
}

// How a stage ended: go on with the command, or return `status` from it.
struct StageOutcome {
  bool go_on;
  Status status;
};

// Parses the recognised configuration input and closes it, reporting the outcome. A syntax error
// names its line; `consequence`, when given, says what can no longer be done.
StageOutcome parse_stage(BoardModel& model, LineState& line, CommandStreams& streams,
                         std::uint16_t verbose, std::uint8_t version, const char* consequence,
                         std::FILE* out) {
  if (verbose != 0) std::fputs("\n", out);
  std::uint32_t line_number = 0;
  LineSource source{streams.input, verbose, out};
  Status status = parse_board_config(model, line, source, nullptr, &line_number, version);
  if (status != kStatusOk) {
    print_syntax_error(out, line_number, verbose, consequence);
    return {false, status};
  }
  if (!close_input_or_report(streams, false, out)) return {false, kStatusOk};
  std::fputs("\nThe configure file has been successfully parsed.\n", out);
  return {true, kStatusOk};
}

Status run_parse(RunSettings& settings, BoardModel& model, LineState& line, std::uint16_t verbose,
                 std::FILE* out, CommandStreams& streams) {
  const std::string& input_name = *settings.input_name;
  streams.input = open_or_report(streams, input_name, "r", false, out);
  if (streams.input == nullptr) return kStatusOk;
  print_header(out, "The configure file will now be parsed.", kConfigFileLabel, input_name,
               verbose);

  FileRecognition recognition = recognise(streams.input);
  if (recognition.is_database()) {
    std::fputs(
        "\nThe input file is recognised as a database file.\n"
        "Use the `-a' option to analyse it instead.\n",
        out);
    return kStatusOk;
  }
  if (!recognition.is_config(settings.parse_version)) {
    std::fputs(
        "\nThe input file is not recognised as a configure file\n"
        "of the chosen version.  Thus it cannot be parsed.\n",
        out);
    return kStatusOk;
  }

  StageOutcome parsed =
      parse_stage(model, line, streams, verbose, recognition.version, nullptr, out);
  if (!parsed.go_on) return parsed.status;
  clean_up(settings, model, line);
  return kStatusOk;
}

Status run_generate(RunSettings& settings, BoardModel& model, LineState& line,
                    std::uint16_t verbose, std::FILE* out, CommandStreams& streams) {
  const std::string& input_name = *settings.input_name;
  const std::string& output_name = *settings.output_name;
  streams.input = open_or_report(streams, input_name, "r", false, out);
  if (streams.input == nullptr) return kStatusOk;
  streams.output = open_or_report(streams, output_name, "wb", true, out);
  if (streams.output == nullptr) return kStatusOk;
  print_header(out, "The configure file will now be parsed.", kConfigFileLabel, input_name,
               verbose);

  FileRecognition recognition = recognise(streams.input);
  if (!recognition.is_config(settings.generate_version)) {
    std::fputs(
        "\nThe input file is not recognised as a configure file of\n"
        "the chosen version.  Thus a database file cannot be generated.\n",
        out);
    return kStatusOk;
  }

  StageOutcome parsed = parse_stage(model, line, streams, verbose, recognition.version,
                                    "Thus the database file cannot be generated.", out);
  if (!parsed.go_on) return parsed.status;

  std::fputs("\n", out);
  std::fprintf(out, kStageHeader, "The database file will now be generated.", kDatabaseFileLabel,
               output_name.c_str());
  Status status = write_board_database(model, streams.output, settings.generate_version);
  if (status != kStatusOk) {
    std::fputs("\nThe database generated has returned an error and cannot complete.\n", out);
    return status;
  }
  if (streams.close_output() != 0) {
    std::fprintf(out, "\n%s\n", "A file system error occurred when closing the database file");
    return kStatusOk;
  }
  std::fputs("\nThe database file has been successfully generated.\n", out);
  clean_up(settings, model, line);
  return kStatusOk;
}

Status run_analyse(RunSettings& settings, BoardModel& model, LineState& line, std::uint16_t verbose,
                   std::FILE* out, CommandStreams& streams) {
  const std::string& input_name = *settings.input_name;
  streams.input = open_or_report(streams, input_name, "rb", true, out);
  if (streams.input == nullptr) return kStatusOk;
  print_header(out, "The database file will now be analysed.", kDatabaseFileLabel, input_name,
               verbose);

  FileRecognition recognition = recognise(streams.input);
  if (recognition.is_config_any()) {
    std::fputs(
        "\nThe input file is recognised as a configuration file.\n"
        "Use the `-p' option to parse it instead.\n",
        out);
    return kStatusOk;
  }
  if (!recognition.is_database()) {
    std::fputs(
        "\nThe input file is not recognised as a database file.\n"
        "Thus it cannot be analysed.\n",
        out);
    return kStatusOk;
  }

  if (verbose != 0) std::fputs("\n", out);
  Status status = analyse_board_database(model, streams.input, verbose, recognition.version, out);
  if (status != kStatusOk) {
    std::fputs("\nThe database analysis has returned an error and cannot complete.\n", out);
    return status;
  }
  if (!close_input_or_report(streams, true, out)) return kStatusOk;
  std::fputs("\nThe database file has been successfully analysed.\n", out);
  clean_up(settings, model, line);
  return kStatusOk;
}

}  // namespace

Status run_command(RunSettings& settings, BoardModel& model, LineState& line, std::uint16_t verbose,
                   std::FILE* out, const FileAccess& files) {
  CommandStreams streams(files);
  if (settings.generate != 0) {
    print_section_banner(out, "%s", "Generate a database file from a configuration file");
    return run_generate(settings, model, line, verbose, out, streams);
  }
  if (settings.parse != 0) {
    print_section_banner(out, "%s", "Parse a (text format) configuration file");
    return run_parse(settings, model, line, verbose, out, streams);
  }
  if (settings.analyse != 0) {
    print_section_banner(out, "%s", "Analyse a (binary format) database file");
    return run_analyse(settings, model, line, verbose, out, streams);
  }
  // Options taken from a configure variable may leave no command: nothing to open or show.
  clean_up(settings, model, line);
  return kStatusOk;
}

}  // namespace kvr

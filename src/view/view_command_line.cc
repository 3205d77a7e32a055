#include "view/view_command_line.h"

#include <string_view>
#include <vector>

#include "view/suggestions.h"

namespace kvr {
namespace {

constexpr const char* kFormats[] = {"png", "pdf", "svg"};

std::string usage_error(const std::string& what) {
  return "kvrview: " + what + " (kvrview --help shows the usage)";
}

// Sets the mode once; a second one is an error.
std::string set_mode(ViewRequest& request, ViewMode mode, std::string_view word) {
  if (request.mode != ViewMode::kDot) return usage_error(std::string(word) + " is a second mode");
  request.mode = mode;
  return "";
}

bool known_format(std::string_view format) {
  for (const char* known : kFormats) {
    if (format == known) return true;
  }
  return false;
}

// A -W option without its "-W": a check turned on or off, or made an error.
std::string take_warning(const std::string& word, ViewRequest& request) {
  if (request.checks.apply(word)) return "";
  std::vector<const char*> names;
  for (const BoardCheck& check : board_checks()) names.push_back(check.name);
  std::string name = word;
  for (const char* prefix : {"error=", "no-"}) {
    if (name.starts_with(prefix)) name.erase(0, std::string_view(prefix).size());
  }
  const std::optional<std::string> near = closest(name, names);
  return usage_error("no check is named `" + name + "'" +
                     (near ? "; did you mean `" + *near + "'?" : ""));
}

// The option `word`, whose argument (when it takes one) is the next word; `next` moves past it.
std::string take_option(std::string_view word, int argc, const char* const* argv, int& next,
                        ViewRequest& request) {
  if (word == "--help" || word == "-h") {
    request.mode = ViewMode::kHelp;
    return "";
  }
  if (word == "--version") {
    request.mode = ViewMode::kVersion;
    return "";
  }
  if (word == "--group") {
    request.group = true;
    return "";
  }
  if (word == "--json") return set_mode(request, ViewMode::kJson, word);
  if (word == "--cfg") return set_mode(request, ViewMode::kConfigText, word);
  if (word == "--check") return set_mode(request, ViewMode::kCheck, word);
  if (word.starts_with("-W") && word.size() > 2)
    return take_warning(std::string(word.substr(2)), request);
  if (word != "--svg" && word != "-o" && word != "--format" && word != "-W")
    return usage_error("unknown option `" + std::string(word) + "'");
  if (next >= argc) return usage_error(std::string(word) + " needs an argument");
  const std::string argument = argv[next++];
  if (word == "-W") return take_warning(argument, request);
  if (word == "--format") {
    if (!known_format(argument)) {
      return usage_error("--format takes png, pdf or svg, not `" + argument + "'");
    }
    request.format = argument;
    return set_mode(request, ViewMode::kPicture, word);
  }
  if (!request.output.empty()) return usage_error("a second output file `" + argument + "'");
  request.output = argument;
  if (request.output.empty()) return usage_error(std::string(word) + " needs a file name");
  if (word != "--svg") return "";
  request.format = "svg";
  return set_mode(request, ViewMode::kPicture, word);
}

// What the words ask for, checked as a whole.
std::string check_request(ViewRequest& request, bool output_option, bool warning_option) {
  if (request.mode == ViewMode::kDot && output_option) {
    // A picture by the output's extension.
    const std::size_t dot = request.output.rfind('.');
    const std::string extension = dot == std::string::npos ? "" : request.output.substr(dot + 1);
    if (known_format(extension)) {
      request.mode = ViewMode::kPicture;
      request.format = extension;
    }
  }
  if (request.input.empty()) return usage_error("no input file");
  if (request.group && request.mode != ViewMode::kDot && request.mode != ViewMode::kPicture) {
    return usage_error("--group draws, and goes with no other mode");
  }
  if (warning_option && request.mode != ViewMode::kCheck) {
    return usage_error("-W options choose the warnings of --check, and go with no other mode");
  }
  if (request.mode == ViewMode::kCheck && output_option) {
    return usage_error("--check writes no output file, so -o has no use");
  }
  return "";
}

}  // namespace

std::string view_usage() {
  std::string usage =
      "Usage: kvrview [options] FILE\n"
      "Shows the scan path of a board configuration file (board.cfg) or a board database\n"
      "(board.dat), of either version; turns a database back into a board.cfg; checks a\n"
      "board.cfg and says where it goes wrong.\n"
      "\n"
      "  kvrview [--group] [-o OUT] FILE    the scan path as a Graphviz graph (DOT), or the\n"
      "                                      picture OUT.png, OUT.pdf or OUT.svg names\n"
      "  kvrview --svg OUT.svg [--group] FILE\n"
      "                                      the scan path drawn as an SVG picture\n"
      "  kvrview --format png|pdf|svg [-o OUT] [--group] FILE\n"
      "                                      the scan path drawn in that format\n"
      "  kvrview --json [-o OUT] FILE       the board as JSON, for scripts\n"
      "  kvrview --cfg [-o OUT] board.dat   a board.cfg that kvrbuild compiles back to the same\n"
      "                                      bytes\n"
      "  kvrview --check [-W...] board.cfg  check a board.cfg as kvrbuild does, with notes,\n"
      "                                      help and the warnings below\n"
      "  kvrview --help, --version          this usage, the version\n"
      "\n"
      "  --group        draw a run of like devices, as a version 2 database stores it, as one "
      "node\n"
      "  -o OUT         write to OUT instead of standard output\n"
      "  -Wname         turn the check `name' on; -Wno-name turns it off\n"
      "  -Werror        make every warning an error; -Werror=name one check's\n"
      "  --             end the options\n"
      "\n"
      "The checks of --check (all on unless turned off):\n";
  for (const BoardCheck& check : board_checks()) {
    std::string line = "  " + std::string(check.name);
    line.resize(20, ' ');
    usage += line + check.summary + "\n";
  }
  return usage +
         "\n"
         "Bad input is reported on standard error with the status kvrbuild gives it; the exit\n"
         "status is 0, 1 after bad input (or a warning made an error), 2 after bad usage.  See\n"
         "kvrview(1).\n";
}

std::string parse_view_command_line(int argc, const char* const* argv, ViewRequest& request) {
  request = ViewRequest{};
  bool options = true;
  bool output_option = false;
  bool warning_option = false;
  for (int next = 1; next < argc;) {
    const std::string_view word = argv[next++];
    if (options && word == "--") {
      options = false;
    } else if (options && word.size() > 1 && word[0] == '-') {
      output_option = output_option || word == "-o";
      warning_option = warning_option || word.starts_with("-W");
      std::string error = take_option(word, argc, argv, next, request);
      if (!error.empty()) return error;
      if (request.mode == ViewMode::kHelp || request.mode == ViewMode::kVersion) return "";
    } else if (request.input.empty()) {
      request.input = word;
    } else {
      return usage_error("a second input file `" + std::string(word) + "'");
    }
  }
  return check_request(request, output_option, warning_option);
}

}  // namespace kvr

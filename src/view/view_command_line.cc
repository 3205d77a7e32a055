#include "view/view_command_line.h"

#include <string_view>

namespace kvr {

const char kViewUsage[] =
    "Usage: kvrview [options] FILE\n"
    "Shows the scan path of a board configuration file (board.cfg) or a board database\n"
    "(board.dat), of either version; turns a database back into a board.cfg; checks a\n"
    "board.cfg and shows where its first error stands.\n"
    "\n"
    "  kvrview [--group] [-o OUT] FILE    the scan path as a Graphviz graph (DOT)\n"
    "  kvrview --svg OUT.svg [--group] FILE\n"
    "                                      the scan path drawn as an SVG picture\n"
    "  kvrview --json [-o OUT] FILE       the board as JSON, for scripts\n"
    "  kvrview --cfg [-o OUT] board.dat   a board.cfg that kvrbuild compiles back to the same\n"
    "                                      bytes\n"
    "  kvrview --check board.cfg          check a board.cfg as kvrbuild does; an error is shown\n"
    "                                      at its line and column\n"
    "  kvrview --help                     this usage\n"
    "\n"
    "  --group   draw a run of like devices, as a version 2 database stores it, as one node\n"
    "  -o OUT    write to OUT instead of standard output\n"
    "  --        end the options\n"
    "\n"
    "Bad input is reported on standard error with the status kvrbuild gives it; the exit\n"
    "status is 0, 1 after bad input, 2 after bad usage.  See kvrview(1).\n";

namespace {

std::string usage_error(const std::string& what) {
  return "kvrview: " + what + " (kvrview --help shows the usage)";
}

// Sets the mode once; a second one is an error.
std::string set_mode(ViewRequest& request, ViewMode mode, std::string_view word) {
  if (request.mode != ViewMode::kDot) return usage_error(std::string(word) + " is a second mode");
  request.mode = mode;
  return "";
}

// The option `word`, whose argument (when it takes one) is the next word; `next` moves past it.
std::string take_option(std::string_view word, int argc, const char* const* argv, int& next,
                        ViewRequest& request) {
  if (word == "--help" || word == "-h") {
    request.mode = ViewMode::kHelp;
    return "";
  }
  if (word == "--group") {
    request.group = true;
    return "";
  }
  if (word == "--json") return set_mode(request, ViewMode::kJson, word);
  if (word == "--cfg") return set_mode(request, ViewMode::kConfigText, word);
  if (word == "--check") return set_mode(request, ViewMode::kCheck, word);
  if (word != "--svg" && word != "-o")
    return usage_error("unknown option `" + std::string(word) + "'");
  if (next >= argc) return usage_error(std::string(word) + " needs a file name");
  if (!request.output.empty())
    return usage_error("a second output file `" + std::string(argv[next]) + "'");
  request.output = argv[next++];
  if (request.output.empty()) return usage_error(std::string(word) + " needs a file name");
  return word == "--svg" ? set_mode(request, ViewMode::kSvg, word) : "";
}

// What the words ask for, checked as a whole.
std::string check_request(const ViewRequest& request, bool output_option) {
  if (request.input.empty()) return usage_error("no input file");
  if (request.group && request.mode != ViewMode::kDot && request.mode != ViewMode::kSvg) {
    return usage_error("--group draws, and goes with no other mode");
  }
  if (request.mode == ViewMode::kSvg && output_option) {
    return usage_error("--svg names its own output file, so -o has no use");
  }
  if (request.mode == ViewMode::kCheck && output_option) {
    return usage_error("--check writes no output file, so -o has no use");
  }
  return "";
}

}  // namespace

std::string parse_view_command_line(int argc, const char* const* argv, ViewRequest& request) {
  request = ViewRequest{};
  bool options = true;
  bool output_option = false;
  for (int next = 1; next < argc;) {
    const std::string_view word = argv[next++];
    if (options && word == "--") {
      options = false;
    } else if (options && word.size() > 1 && word[0] == '-') {
      output_option = output_option || word == "-o";
      std::string error = take_option(word, argc, argv, next, request);
      if (!error.empty()) return error;
      if (request.mode == ViewMode::kHelp) return "";
    } else if (request.input.empty()) {
      request.input = word;
    } else {
      return usage_error("a second input file `" + std::string(word) + "'");
    }
  }
  return check_request(request, output_option);
}

}  // namespace kvr

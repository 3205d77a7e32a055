#include "view/view_command_line.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string_view>

#include "base/ascii.h"
#include "base/file_open.h"
#include "lint/suggestions.h"

namespace kvr {
namespace {

constexpr const char* kFormats[] = {"png", "pdf", "svg"};

// The options that serve some modes only, and those modes.
struct ModeOption {
  std::string_view word;
  std::initializer_list<ViewMode> modes;
  const char* what;
};
const ModeOption kModeOptions[] = {
    {"--group", {ViewMode::kDot, ViewMode::kPicture}, "draws, and goes with no other mode"},
    {"--chip", {ViewMode::kOpenocd}, "goes with --openocd only"},
    {"--select",
     {ViewMode::kOpenocd, ViewMode::kSvf, ViewMode::kServe},
     "goes with --openocd, --svf and --serve only"},
    {"--search", {ViewMode::kImport}, "goes with --import only"},
    {"--port", {ViewMode::kServe}, "goes with --serve only"},
    {"--log", {ViewMode::kServe}, "goes with --serve only"},
    {"--v1", {ViewMode::kBuild}, "goes with --build only"},
    {"-W",
     {ViewMode::kDot, ViewMode::kPicture, ViewMode::kJson, ViewMode::kCheck, ViewMode::kOpenocd,
      ViewMode::kSvf, ViewMode::kServe, ViewMode::kBuild, ViewMode::kDiff},
     "options choose the warnings of a board.cfg, which --cfg and --import do not read"},
    {"--quiet",
     {ViewMode::kDot, ViewMode::kPicture, ViewMode::kJson, ViewMode::kCheck, ViewMode::kOpenocd,
      ViewMode::kSvf, ViewMode::kServe, ViewMode::kBuild, ViewMode::kDiff},
     "silences the warnings of a board.cfg, which --cfg and --import do not read"},
    {"--in-place", {ViewMode::kFormat}, "goes with --fmt only"},
};

// The modes that take no argument, by their words.
const std::pair<std::string_view, ViewMode> kModes[] = {
    {"--json", ViewMode::kJson},       {"--cfg", ViewMode::kConfigText},
    {"--check", ViewMode::kCheck},     {"--fmt", ViewMode::kFormat},
    {"--openocd", ViewMode::kOpenocd}, {"--import", ViewMode::kImport},
    {"--serve", ViewMode::kServe},     {"--build", ViewMode::kBuild},
    {"--diff", ViewMode::kDiff},       {"--version", ViewMode::kVersion},
    {"--help", ViewMode::kHelp},       {"-h", ViewMode::kHelp},
};

// The options that take no argument and are no mode.
constexpr std::string_view kFlags[] = {"--group", "--log", "--quiet", "--v1", "--in-place"};

// What each mode may write, by the output file's extension (letter case ignored), and how its
// refusal says so. The DOT graph's extensions of a picture turn it into that picture.
struct ModeOutput {
  ViewMode mode;
  std::initializer_list<std::string_view> extensions;
  const char* what;
};
const ModeOutput kModeOutputs[] = {
    {ViewMode::kDot,
     {"dot", "gv", "png", "pdf", "svg"},
     "the scan path is written as DOT (.dot, .gv) or drawn as .png, .pdf or .svg"},
    {ViewMode::kJson, {"json"}, "--json writes .json"},
    {ViewMode::kConfigText, {"cfg"}, "--cfg writes a board.cfg (.cfg)"},
    {ViewMode::kImport, {"cfg"}, "--import writes a board.cfg (.cfg)"},
    {ViewMode::kBuild, {"dat"}, "--build writes a board database (.dat)"},
    {ViewMode::kOpenocd, {"tcl", "cfg"}, "--openocd writes an OpenOCD script (.tcl, .cfg)"},
    {ViewMode::kSvf, {"svf"}, "--svf writes SVF (.svf)"},
    {ViewMode::kFormat, {"cfg"}, "--fmt writes a board.cfg (.cfg)"},
    {ViewMode::kCheck,
     {"sarif", "json"},
     "--check --format sarif writes a SARIF log (.sarif, .json)"},
};

// The options that take the next word as their argument.
constexpr std::string_view kTakingArgument[] = {
    "-o", "--svg", "--svf", "--chip", "--port", "--search", "--select", "--format", "-W"};

std::string usage_error(const std::string& what) {
  return "kvrview: " + what + " (kvrview --help shows the usage)";
}

bool is_name(std::string_view word) {
  return !word.empty() && is_letter(word[0]) && std::all_of(word.begin(), word.end(), is_name_char);
}

bool known_format(std::string_view format) {
  return std::find(std::begin(kFormats), std::end(kFormats), format) != std::end(kFormats);
}

// "LINKER:K" with K from 0 to 3.
std::string take_selection(std::string_view word, ViewRequest& request) {
  const std::size_t colon = word.rfind(':');
  if (colon == std::string_view::npos || colon + 2 != word.size() || word[colon + 1] < '0' ||
      word[colon + 1] > '3' || !is_name(word.substr(0, colon))) {
    return usage_error(
        "--select takes LINKER:K, a linker's name and a sub-path from 0 to 3, not `" +
        std::string(word) + "'");
  }
  request.selections.push_back(
      {lower_cased(word.substr(0, colon)), static_cast<std::uint32_t>(word[colon + 1] - '0')});
  return "";
}

std::string take_port(std::string_view word, ViewRequest& request) {
  unsigned long port = 0;
  for (const char c : word) port = is_digit(c) && port <= 65535 ? port * 10 + (c - '0') : ~0ul;
  if (word.empty() || port > 65535) {
    return usage_error("--port takes a TCP port from 0 to 65535, not `" + std::string(word) + "'");
  }
  request.port = static_cast<std::uint16_t>(port);
  return "";
}

// A -W option without its "-W": a check turned on or off, made an error, or kept a warning.
std::string take_warning(const std::string& word, ViewRequest& request) {
  if (request.checks.apply(word)) return "";
  std::vector<const char*> names;
  for (const BoardCheck& check : board_checks()) names.push_back(check.name);
  std::string name = word;
  for (const char* prefix : {"no-error=", "error=", "no-"}) {
    if (name.starts_with(prefix)) name.erase(0, std::string_view(prefix).size());
  }
  const std::optional<std::string> near = closest(name, names);
  return usage_error("no check is named `" + name + "'" +
                     (near ? "; did you mean `" + *near + "'?" : ""));
}

// Every option's word, for a did-you-mean.
std::vector<const char*> option_words() {
  std::vector<const char*> words;
  for (const auto& [word, mode] : kModes) words.push_back(word.data());
  for (const std::string_view word : kFlags) words.push_back(word.data());
  for (const std::string_view word : kTakingArgument) words.push_back(word.data());
  return words;
}

std::string unknown_option(std::string_view word) {
  const std::optional<std::string> near = closest(word, option_words());
  return usage_error("unknown option `" + std::string(word) + "'" +
                     (near ? "; did you mean `" + *near + "'?" : ""));
}

// The mode that an option's word names, or kDot.
ViewMode mode_named(std::string_view word) {
  if (word == "--svf") return ViewMode::kSvf;
  if (word == "--svg" || word == "--format") return ViewMode::kPicture;
  for (const auto& [mode_word, mode] : kModes) {
    if (word == mode_word && mode != ViewMode::kHelp && mode != ViewMode::kVersion) return mode;
  }
  return ViewMode::kDot;
}

bool is_help(std::string_view word) {
  return word == "--help" || word == "-h";
}

// --help asks for the usage of the mode given before it, or else after it.
void ask_help(int argc, const char* const* argv, int next, ViewRequest& request) {
  request.help_for = request.mode;
  request.mode = ViewMode::kHelp;
  for (int k = next; request.help_for == ViewMode::kDot && k < argc; ++k) {
    request.help_for = mode_named(argv[k]);
  }
}

// Sets the mode once; a second one is an error.
std::string set_mode(ViewRequest& request, ViewMode mode, std::string_view word) {
  if (request.mode != ViewMode::kDot) return usage_error(std::string(word) + " is a second mode");
  request.mode = mode;
  return "";
}

// The argument of an option that takes one: its value is `argument`.
std::string take_argument(std::string_view word, std::string_view argument, ViewRequest& request) {
  if (word == "--chip") {
    if (!is_name(argument)) {
      return usage_error("--chip takes a name of letters, digits and '_', not `" +
                         std::string(argument) + "'");
    }
    request.chip = argument;
    return "";
  }
  if (word == "--select") return take_selection(argument, request);
  if (word == "--port") return take_port(argument, request);
  if (word == "-W") return take_warning(std::string(argument), request);
  if (word == "--search") {
    request.search.emplace_back(argument);
    return "";
  }
  if (word == "--svf") {
    request.svf_device = argument;
    return set_mode(request, ViewMode::kSvf, word);
  }
  if (word == "--format" && argument == "sarif") {
    request.format = argument;  // the findings of --check as a SARIF log
    return "";
  }
  if (word == "--format") {
    if (!known_format(argument)) {
      return usage_error("--format takes png, pdf or svg, not `" + std::string(argument) + "'");
    }
    request.format = argument;
    return set_mode(request, ViewMode::kPicture, word);
  }
  if (!request.output.empty())
    return usage_error("a second output file `" + std::string(argument) + "'");
  request.output = argument;
  if (word != "--svg") return "";
  request.format = "svg";
  return set_mode(request, ViewMode::kPicture, word);
}

// The option `word`, whose argument (when it takes one) is the next word; `next` moves past it.
std::string take_option(std::string_view word, int argc, const char* const* argv, int& next,
                        ViewRequest& request) {
  if (std::find(std::begin(kFlags), std::end(kFlags), word) != std::end(kFlags)) {
    (word == "--log"        ? request.log
     : word == "--group"    ? request.group
     : word == "--quiet"    ? request.quiet
     : word == "--in-place" ? request.in_place
                            : request.version_1) = true;
    return "";
  }
  for (const auto& [mode_word, mode] : kModes) {
    if (word != mode_word) continue;
    if (mode == ViewMode::kHelp) {
      ask_help(argc, argv, next, request);
    } else if (mode == ViewMode::kVersion) {
      request.mode = mode;
    } else {
      return set_mode(request, mode, word);
    }
    return "";
  }
  if (word.starts_with("-W") && word.size() > 2) {
    return take_warning(std::string(word.substr(2)), request);
  }
  if (std::find(std::begin(kTakingArgument), std::end(kTakingArgument), word) ==
      std::end(kTakingArgument)) {
    return unknown_option(word);
  }
  if (next < argc && is_help(argv[next])) {  // --svf --help: the usage of --svf
    if (mode_named(word) != ViewMode::kDot) request.mode = mode_named(word);
    ask_help(argc, argv, next + 1, request);
    return "";
  }
  if (next >= argc || *argv[next] == '\0') {
    const bool file = word == "-o" || word == "--svg";
    return usage_error(std::string(word) + " needs " + (file ? "a file name" : "a value"));
  }
  return take_argument(word, argv[next++], request);
}

// The output file's extension, lower-cased: what follows the last '.' of its last component
// (".hidden" has none).
std::string extension_of(const std::string& output) {
  const std::size_t slash = output.find_last_of("/\\");
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = output.rfind('.');
  if (dot == std::string::npos || dot <= start) return "";
  return lower_cased(std::string_view(output).substr(dot + 1));
}

// An output file whose extension the mode cannot write is refused; the DOT graph's output names
// the picture it is drawn as.
std::string check_output(ViewRequest& request) {
  if (to_standard_output(request)) return "";
  const std::string extension = extension_of(request.output);
  if (extension.empty()) return "";
  const std::string refused = "-o " + request.output + ": ";
  if (request.mode == ViewMode::kPicture) {
    if (extension == request.format) return "";
    return usage_error(refused + "the picture is drawn as ." + request.format + ", not ." +
                       extension);
  }
  for (const ModeOutput& row : kModeOutputs) {
    if (row.mode != request.mode) continue;
    if (std::find(row.extensions.begin(), row.extensions.end(), extension) ==
        row.extensions.end()) {
      return usage_error(refused + row.what + ", not ." + extension);
    }
    if (request.mode == ViewMode::kDot && known_format(extension)) {
      request.mode = ViewMode::kPicture;
      request.format = extension;
    }
  }
  return "";
}

// --build writes beside its input, under the input's name with the extension .dat.
std::string default_build_output(ViewRequest& request) {
  if (is_special_file(request.input)) {
    return usage_error("--build of a pipe or a device needs -o FILE (or -o - for standard output)");
  }
  const std::string& input = request.input;
  const std::size_t extension = extension_of(input).empty() ? input.size() : input.rfind('.');
  request.output = input.substr(0, extension) + ".dat";
  return "";
}

// What the words ask for, checked as a whole; `given` holds the options used (each -W option as
// "-W").
std::string check_request(ViewRequest& request, bool output_option,
                          const std::vector<std::string_view>& given) {
  if (request.input.empty()) return usage_error("no input file");
  if (request.mode == ViewMode::kDiff && request.imports.size() != 2) {
    return usage_error("--diff compares two boards: give it two input files");
  }
  if (request.imports.size() > 1 && request.mode != ViewMode::kImport &&
      request.mode != ViewMode::kDiff) {
    return usage_error("a second input file `" + request.imports[1] + "'");
  }
  for (const ModeOption& option : kModeOptions) {
    const bool used = std::find(given.begin(), given.end(), option.word) != given.end();
    if (used &&
        std::find(option.modes.begin(), option.modes.end(), request.mode) == option.modes.end()) {
      return usage_error(std::string(option.word) + " " + option.what);
    }
  }
  if (request.format == "sarif" && request.mode != ViewMode::kCheck) {
    return usage_error("--format sarif goes with --check only");
  }
  if (((request.mode == ViewMode::kCheck && request.format != "sarif") ||
       request.mode == ViewMode::kServe) &&
      output_option) {
    return usage_error("--check and --serve write no output file, so -o has no use");
  }
  if (request.in_place && output_option) {
    return usage_error("--in-place rewrites the input file, so -o has no use");
  }
  if (request.mode == ViewMode::kDiff && output_option) {
    return usage_error("--diff writes its differences on standard output, so -o has no use");
  }
  if (request.mode == ViewMode::kBuild && !output_option) return default_build_output(request);
  return check_output(request);
}

// --lsp: the language server on standard input and output, which takes no other word.
std::string take_language_server(int argc, const char* const* argv, ViewRequest& request) {
  for (int next = 1; next < argc && std::string_view(argv[next]) != "--"; ++next) {
    if (std::string_view(argv[next]) != "--lsp") continue;
    if (argc != 2) return usage_error("--lsp takes no other option and no file");
    request.mode = ViewMode::kLsp;
    return "";
  }
  return "";
}

}  // namespace

std::string view_usage() {
  std::string usage =
      "Usage: kvrview [options] FILE\n"
      "Shows the scan path of a board configuration file (board.cfg) or a board database\n"
      "(board.dat), of either version; turns a database back into a board.cfg; checks a\n"
      "board.cfg and says where it goes wrong; bridges a board to the open JTAG tools:\n"
      "OpenOCD scripts, SVF padding, imports, and a simulated board for OpenOCD.\n"
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
      "  kvrview --check --format sarif [-W...] [-o OUT] board.cfg\n"
      "                                      the same findings as a SARIF 2.1.0 log\n"
      "  kvrview --fmt [-o OUT | --in-place] board.cfg\n"
      "                                      the board.cfg in its canonical layout\n"
      "  kvrview --build [--v1] [-W...] [-o OUT.dat] board.cfg\n"
      "                                      compile a board.cfg into the database kvrbuild -g\n"
      "                                      writes, for a Makefile: any warning stops it\n"
      "  kvrview --diff A B                 what differs between two boards, each a board.cfg\n"
      "                                      or a board.dat\n"
      "  kvrview --openocd [--chip NAME] [--select LINKER:K]... [-o OUT] FILE\n"
      "                                      the scan chain as an OpenOCD script (jtag newtap)\n"
      "  kvrview --svf DEVICE [--select LINKER:K]... [-o OUT] FILE\n"
      "                                      the SVF padding (HIR, TIR, HDR, TDR) that addresses\n"
      "                                      DEVICE with every other device in BYPASS\n"
      "  kvrview --import [--search DIR]... [-o OUT] FILE...\n"
      "                                      a version 2 board.cfg from OpenOCD scripts,\n"
      "                                      OpenOCD's scan_chain table or BSDL files, from TDI\n"
      "                                      to TDO; the scripts evaluated together in the order\n"
      "                                      given, as openocd -f FILE -f FILE evaluates them\n"
      "  kvrview --serve [--port N] [--log] [--select LINKER:K]... FILE\n"
      "                                      the board as a simulated scan path behind OpenOCD's\n"
      "                                      remote_bitbang protocol on 127.0.0.1\n"
      "  kvrview --lsp                      a language server for editors, on standard input\n"
      "                                      and output\n"
      "  kvrview --help, --version          this usage, the version\n"
      "  kvrview MODE --help                the usage of one mode, with an example\n"
      "\n"
      "  --group          draw a run of like devices, as a version 2 database stores it, as one\n"
      "                   node\n"
      "  --chip NAME      the chip name of every TAP of the OpenOCD script (default: board)\n"
      "  --select LINKER:K\n"
      "                   put sub-path K (0 to 3) of the scan-path linker LINKER in the chain at\n"
      "                   start; without it, no sub-path of that linker is (OpenOCD switches\n"
      "                   them while --serve runs, through the script's tap-enable handlers)\n"
      "  --search DIR     a folder where an imported script's `find' looks, after the script's\n"
      "                   own folder and before OpenOCD's installed scripts\n"
      "  --port N         the TCP port --serve listens on; 0, the default, picks a free one,\n"
      "                   and the first line of the output is the port\n"
      "  --log            --serve prints every device's instruction after each Update-IR,\n"
      "                   and each linker's selection when it changes\n"
      "  --v1             --build reads a file without the label ;CFG-2.0 as version 1\n"
      "  -o OUT           write to OUT instead of standard output (-o - to standard output)\n"
      "  -Wname           turn the check `name' on; -Wno-name turns it off\n"
      "  -Werror          make every warning an error; -Werror=name one check's\n"
      "  -Wno-error       keep warnings warnings (--build makes them errors); -Wno-error=name\n"
      "  --quiet          no warnings at all\n"
      "  --in-place       --fmt rewrites the input file\n"
      "  --               end the options\n"
      "\n"
      "The checks of a board.cfg, which every mode that reads one makes (all on unless turned\n"
      "off):\n";
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

bool to_standard_output(const ViewRequest& request) {
  return request.output.empty() || request.output == "-";
}

std::string parse_view_command_line(int argc, const char* const* argv, ViewRequest& request) {
  request = ViewRequest{};
  if (std::string error = take_language_server(argc, argv, request);
      !error.empty() || request.mode == ViewMode::kLsp) {
    return error;
  }
  bool options = true;
  bool output_option = false;
  std::vector<std::string_view> given;
  for (int next = 1; next < argc;) {
    const std::string_view word = argv[next++];
    if (options && word == "--") {
      options = false;
    } else if (options && word.size() > 1 && word[0] == '-') {
      output_option = output_option || word == "-o";
      given.push_back(word.starts_with("-W") ? std::string_view("-W") : word);
      std::string error = take_option(word, argc, argv, next, request);
      if (!error.empty()) return error;
      if (request.mode == ViewMode::kHelp || request.mode == ViewMode::kVersion) return "";
    } else {
      request.imports.emplace_back(word);
    }
  }
  if (!request.imports.empty()) request.input = request.imports.front();
  return check_request(request, output_option, given);
}

}  // namespace kvr

#include "bridge/chain_import.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "base/file_open.h"
#include "bridge/board_from_taps.h"
#include "bridge/bounded_read.h"
#include "bridge/bsdl_reader.h"
#include "bridge/scan_chain_table.h"
#include "bridge/tcl_child.h"

namespace kvr {
namespace {

// The file `name` names, read whole, or false with the message for standard error in `problem`.
bool read_input(const std::string& name, std::string& text, std::string& problem) {
  const std::string path = resolve_host_path(name, PathUse::kReading);
  // Closed also when memory runs out while the text grows.
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             std::fclose);
  if (!file) {
    const int error = errno;
    problem = "kvrview: cannot open `" + name + "': " +
              (error == ENOENT || error == EACCES
                   ? std::string("the file was not found or lacked read permission")
                   : std::string(std::strerror(error))) +
              "\n";
    return false;
  }
  int error = 0;
  switch (read_at_most(file.get(), kLargestImportedFile, text, error)) {
    case ReadEnd::kWhole:
      return true;
    case ReadEnd::kTooLarge:
      problem = "kvrview: cannot import `" + name + "': it holds more than " +
                size_in_words(kLargestImportedFile) +
                ", the most a file an import reads may hold\n";
      return false;
    case ReadEnd::kFailed:
      break;
  }
  problem = "kvrview: cannot read `" + name +
            "': " + (error != 0 ? std::strerror(error) : "the system gave no reason") + "\n";
  return false;
}

// The chain of the scripts among the files named, evaluated together in one interpreter, in the
// order given, from TDI to TDO.
bool read_scripts_taps(const std::vector<NamedScript>& scripts, const ImportSettings& settings,
                       ImportResult& result, std::vector<ImportedTap>& taps,
                       ImportFailure& failure) {
  ScriptFiles files = settings.files;
  std::vector<std::string> own;  // the real paths of the scripts that are regular files
  for (const NamedScript& script : scripts) {
    const std::string real = real_path_of(files, resolve_host_path(script.file, PathUse::kReading));
    if (!real.empty() && files.exists(real)) own.push_back(real);
  }
  files.folders = script_folders(files, own, settings.search, settings.installed);
  ScriptEvaluation evaluation = evaluate_tcl_scripts_apart(scripts, files, settings.limits);
  result.files_read.insert(result.files_read.end(), evaluation.files_read.begin(),
                           evaluation.files_read.end());
  taps = std::move(evaluation.taps);
  failure = std::move(evaluation.failure);
  return evaluation.read;
}

// The TAPs of one file that is no script, from TDI to TDO.
bool read_file_taps(const std::string& name, const std::string& text,
                    std::vector<ImportedTap>& taps, ImportFailure& failure) {
  if (is_bsdl(text)) {
    taps.emplace_back();
    return read_bsdl(name, text, taps.back(), failure);
  }
  return read_scan_chain_table(name, text, taps, failure);
}

bool board_of(const std::vector<std::string>& files, const ImportSettings& settings,
              ImportResult& result, std::string& problem) {
  result = {};
  result.files_read = files;
  // Each file's text, or none for a script, which goes into `scripts`.
  std::vector<std::string> texts(files.size());
  std::vector<bool> script(files.size(), false);
  std::vector<NamedScript> scripts;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!read_input(files[i], texts[i], problem)) return false;
    script[i] = !is_bsdl(texts[i]) && !is_scan_chain_table(texts[i]);
    if (script[i]) scripts.push_back({files[i], std::move(texts[i])});
  }
  // The scripts' chain stands where the first script is named.
  bool scripts_placed = false;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (script[i] && scripts_placed) continue;
    std::vector<ImportedTap> taps;
    ImportFailure failure;
    const bool read = script[i] ? read_scripts_taps(scripts, settings, result, taps, failure)
                                : read_file_taps(files[i], texts[i], taps, failure);
    scripts_placed = scripts_placed || script[i];
    if (!read) {
      problem = import_diagnostic(failure);
      return false;
    }
    result.chain.insert(result.chain.end(), taps.begin(), taps.end());
  }
  result.board = board_config_of(result.chain, files);
  return true;
}

}  // namespace

Outcome import_board(const std::vector<std::string>& files, const ImportSettings& settings,
                     ImportResult& result, std::string& problem) {
  return outcome_of([&] { return board_of(files, settings, result, problem); });
}

Outcome import_board(const std::vector<std::string>& files, const ImportSettings& settings,
                     std::string& board, std::string& problem) {
  ImportResult result;
  const Outcome outcome = import_board(files, settings, result, problem);
  board = std::move(result.board);
  return outcome;
}

}  // namespace kvr

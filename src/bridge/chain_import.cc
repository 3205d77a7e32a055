#include "bridge/chain_import.h"

#include <filesystem>
#include <memory>

#include "base/file_open.h"
#include "bridge/board_from_taps.h"
#include "bridge/bsdl_reader.h"
#include "bridge/scan_chain_table.h"
#include "bridge/tcl_chain_reader.h"

namespace kvr {
namespace {

bool read_whole(const std::string& name, std::string& text) {
  // Closed also when memory runs out while the text grows.
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(open_file(name, "rb").stream,
                                                             close_file);
  if (!file) return false;
  text.clear();
  char block[1 << 16];
  for (std::size_t got; (got = std::fread(block, 1, sizeof block, file.get())) > 0;) {
    text.append(block, got);
  }
  return std::ferror(file.get()) == 0;
}

bool is_file(const std::string& name) {
  std::error_code error;
  return std::filesystem::is_regular_file(resolve_host_path(name, PathUse::kReading), error);
}

// The TAPs of one file, from TDI to TDO.
bool read_file_taps(const std::string& name, const std::string& text,
                    const ImportSettings& settings, std::vector<ImportedTap>& taps,
                    ImportFailure& failure) {
  if (is_bsdl(text)) {
    taps.emplace_back();
    return read_bsdl(name, text, taps.back(), failure);
  }
  if (is_scan_chain_table(text)) return read_scan_chain_table(name, text, taps, failure);
  ScriptFiles files = settings.files;
  const std::filesystem::path folder = std::filesystem::path(name).parent_path();
  files.folders = {folder.empty() ? std::string(".") : folder.string()};
  files.folders.insert(files.folders.end(), settings.search.begin(), settings.search.end());
  files.folders.insert(files.folders.end(), settings.installed.begin(), settings.installed.end());
  return read_tcl_chain(name, text, files, settings.limits, taps, failure);
}

bool board_of(const std::vector<std::string>& files, const ImportSettings& settings,
              std::string& board, std::string& problem) {
  std::vector<ImportedTap> chain;
  for (const std::string& name : files) {
    std::string text;
    if (!settings.files.read(name, text)) {
      problem =
          "kvrview: cannot open `" + name + "': the file was not found or lacked read permission\n";
      return false;
    }
    std::vector<ImportedTap> taps;
    ImportFailure failure;
    if (!read_file_taps(name, text, settings, taps, failure)) {
      problem = import_diagnostic(failure);
      return false;
    }
    chain.insert(chain.end(), taps.begin(), taps.end());
  }
  board = board_config_of(chain, files);
  return true;
}

}  // namespace

ScriptFiles file_system_files() {
  return ScriptFiles{{}, read_whole, is_file};
}

Outcome import_board(const std::vector<std::string>& files, const ImportSettings& settings,
                     std::string& board, std::string& problem) {
  return outcome_of([&] { return board_of(files, settings, board, problem); });
}

}  // namespace kvr

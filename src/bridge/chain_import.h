// --import: a version 2 board.cfg from the files other JTAG tools write, each recognised by what it
// holds:
//   a BSDL file            its first word is `entity' (bridge/bsdl_reader.h): one TAP
//   a scan_chain table     it holds OpenOCD's header line (bridge/scan_chain_table.h)
//   an OpenOCD script      anything else (bridge/tcl_chain_reader.h), evaluated in a child process
//                          (bridge/tcl_child.h)
// The files stand in the order of the chain, from TDI to TDO, each giving its part: a BSDL file
// its one TAP, a table its whole chain. The scripts among them are evaluated together, in one
// interpreter, in the order given, as `openocd -f A -f B' evaluates its files (the first TAP A
// declares is the one nearest TDO), and their chain stands where the first script is named. Each
// file is read here, before any is evaluated, by kvrview's rules for file names, at most
// kLargestImportedFile bytes: a larger one is refused as soon as that is known. A script's `find'
// and `source' reach the folders of bridge/script_policy.h: the scripts' own, the folders given,
// then OpenOCD's installed scripts.
#ifndef KVR_BRIDGE_CHAIN_IMPORT_H_
#define KVR_BRIDGE_CHAIN_IMPORT_H_

#include <string>
#include <vector>

#include "base/outcome.h"
#include "bridge/imported_tap.h"
#include "bridge/script_access.h"
#include "bridge/script_policy.h"

namespace kvr {

struct ImportSettings {
  std::vector<std::string> search;  // --search folders
  // Where OpenOCD installs its scripts, looked in after the others.
  std::vector<std::string> installed = {"/usr/local/share/openocd/scripts",
                                        "/usr/share/openocd/scripts"};
  // How a script's find and source reach files: the file system, unless tests replace it.
  ScriptFiles files = file_system_files();
  TclLimits limits;
};

// What an import made.
struct ImportResult {
  std::string board;               // the board.cfg
  std::vector<ImportedTap> chain;  // its TAPs, from TDI to TDO, with every option a script gave
  // Every file the import read: the files named, as named, then each file a script's find found
  // or its source read, by its real path.
  std::vector<std::string> files_read;
};

// The import of `files`, or a failure with the message for standard error in `problem`.
Outcome import_board(const std::vector<std::string>& files, const ImportSettings& settings,
                     ImportResult& result, std::string& problem);

// The same, for the board.cfg alone.
Outcome import_board(const std::vector<std::string>& files, const ImportSettings& settings,
                     std::string& board, std::string& problem);

}  // namespace kvr

#endif  // KVR_BRIDGE_CHAIN_IMPORT_H_

// --import: a version 2 board.cfg from the files other JTAG tools write, each recognised by what it
// holds:
//   a BSDL file            its first word is `entity' (bridge/bsdl_reader.h): one TAP
//   a scan_chain table     it holds OpenOCD's header line (bridge/scan_chain_table.h)
//   an OpenOCD script      anything else (bridge/tcl_chain_reader.h)
// The files stand in the order of the chain, from TDI to TDO, each giving its part: a BSDL file
// its one TAP, a table or a script its whole chain. A script's `find' looks in the script's own
// folder, then in the folders given, then in OpenOCD's installed scripts.
#ifndef KVR_BRIDGE_CHAIN_IMPORT_H_
#define KVR_BRIDGE_CHAIN_IMPORT_H_

#include <string>
#include <vector>

#include "base/outcome.h"
#include "bridge/script_access.h"

namespace kvr {

// The file system as an import reaches it: names resolved as kvrview resolves every file name.
ScriptFiles file_system_files();

struct ImportSettings {
  std::vector<std::string> search;  // --search folders
  // Where OpenOCD installs its scripts, looked in after the others.
  std::vector<std::string> installed = {"/usr/local/share/openocd/scripts",
                                        "/usr/share/openocd/scripts"};
  // Reads a file whole and tells whether one exists: the file system, unless tests replace it.
  ScriptFiles files = file_system_files();
  TclLimits limits;
};

// The board.cfg in `board`, or a failure with the message for standard error in `problem`.
Outcome import_board(const std::vector<std::string>& files, const ImportSettings& settings,
                     std::string& board, std::string& problem);

}  // namespace kvr

#endif  // KVR_BRIDGE_CHAIN_IMPORT_H_

// Two small stages of a run: appending standard output to a file (-o), and making sure that the
// board configuration file holding the extra-options variable can be read (-e). Both, and every
// later stage that opens a file, answer to one rule: the redirection file is never a file that
// the run reads or writes.
#ifndef KVR_FRONTEND_REDIRECTION_H_
#define KVR_FRONTEND_REDIRECTION_H_

#include <cstdint>
#include <cstdio>
#include <string>

#include "frontend/run_settings.h"

namespace kvr {

// The file that standard output goes to once -o has opened one.
struct RedirectionFile {
  std::FILE* stream = nullptr;  // null while standard output is the console
  std::string name;             // as the user gave it, with its default extension
  std::string path;             // the host path opened
  bool created = false;         // this run made the file
};

// With `redirect` set and a name given: flushes `*out` and makes `*out` a stream that appends to
// the named file (created when missing), which `opened` describes. 0 when the run may go on; 1
// after a failure, reported on the unchanged `*out`. The caller owns and closes the new stream.
std::uint16_t redirect_output(std::uint16_t redirect, const std::string& file_name, std::FILE** out,
                              RedirectionFile& opened);

// True when `log` is a file that the run, as `settings` now stand, reads or writes under any name:
// the command's input or output, or with -e the board configuration file. Then says so on `out`:
// appending to it would damage what the run uses.
bool redirection_clashes(const RunSettings& settings, const std::string& log, std::FILE* out);

// 1 when the file opens for reading; otherwise prints how to name one and what it must at least
// hold, and returns 0. A pipe, a device or a socket is refused unopened: the library reads the file
// again after this check, and such a file can be read only once (or waits for a writer).
std::uint16_t check_board_file(const std::string& file_name, std::uint16_t config_file_given,
                               std::FILE* out);

}  // namespace kvr

#endif  // KVR_FRONTEND_REDIRECTION_H_

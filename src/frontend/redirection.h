// Two small stages of a run: appending standard output to a file (-o), and making sure that the
// board configuration file holding the extra-options variable can be read (-e).
#ifndef KVR_FRONTEND_REDIRECTION_H_
#define KVR_FRONTEND_REDIRECTION_H_

#include <cstdint>
#include <cstdio>
#include <string>

#include "frontend/run_settings.h"

namespace kvr {

// With `redirect` set and a name given: flushes `*out` and makes `*out` a stream that appends to
// the named file (created when missing). 0 when the run may go on; 1 after a failure, reported on
// the unchanged `*out`. The caller owns and closes the new stream.
std::uint16_t redirect_output(std::uint16_t redirect, const std::string& file_name,
                              std::FILE** out);

// True when the file that -o names is one that the run reads or writes under any name: the
// command's input or output, or with -e the board configuration file. Then says so on `out`, as
// for a redirection file that cannot be opened: appending to it would damage what the run uses.
bool redirection_clashes(const RunSettings& settings, std::FILE* out);

// 1 when the file opens for reading; otherwise prints how to name one and what it must at least
// hold, and returns 0.
std::uint16_t check_board_file(const std::string& file_name, std::uint16_t config_file_given,
                               std::FILE* out);

}  // namespace kvr

#endif  // KVR_FRONTEND_REDIRECTION_H_

// Runs the one major command of a run: parse a configuration file, generate a database file from
// one, or analyse a database file; reports every stage on the run's standard output.
#ifndef KVR_COMMANDS_DISPATCHER_H_
#define KVR_COMMANDS_DISPATCHER_H_

#include <cstdint>
#include <cstdio>

#include "base/file_open.h"
#include "base/status.h"
#include "config/line_reader.h"
#include "database/board_model.h"
#include "frontend/run_settings.h"

namespace kvr {

// 0 when the command ended normally or with a problem reported in words (a file that does not
// open, an input of the wrong kind, a close that fails); otherwise the negative status of the
// parser, the writer or the analyser, after its outcome message. With no command selected it
// opens nothing, prints nothing and returns 0. After a success the file names are dropped and
// the model released.
Status run_command(RunSettings& settings, BoardModel& model, LineState& line, std::uint16_t verbose,
                   std::FILE* out, const FileAccess& files);

}  // namespace kvr

#endif  // KVR_COMMANDS_DISPATCHER_H_

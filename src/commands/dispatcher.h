// Runs the one major command of a run: parse a configuration file, generate a database file from
// one, or analyse a database file; reports every stage on the run's standard output.
#ifndef KVR_COMMANDS_DISPATCHER_H_
#define KVR_COMMANDS_DISPATCHER_H_

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/file_open.h"
#include "base/status.h"

namespace kvr {

enum class Command { kNone, kParse, kGenerate, kAnalyse };

// What the front end asks the dispatcher to do.
struct CommandRequest {
  Command command = Command::kNone;
  std::uint8_t version = 2;  // of the configuration file to parse, or of the database to generate
  std::string input_name;
  std::string output_name;  // generate only
  std::uint16_t verbose = 0;
};

// 0 when the command ended normally or with a problem reported in words (a file that does not
// open, an input of the wrong kind, a close that fails); otherwise the negative status of the
// parser, the writer or the analyser, after its outcome message. With no command it opens
// nothing, prints nothing and returns 0.
Status run_command(const CommandRequest& request, std::FILE* out, const FileAccess& files);

}  // namespace kvr

#endif  // KVR_COMMANDS_DISPATCHER_H_

// What the evaluation of an OpenOCD script gives, and the record in which a child process that
// evaluated it sends that to its parent over a pipe. The record, all numbers 32-bit little-endian,
// each text its length and then its bytes:
//   "kvr-eval"                       the record's mark
//   1 byte: 1 when the chain was read, 0 when the script failed
//   read:   the count of TAPs, then for each from TDI to TDO: chip, tap, IR length, 1 byte enabled,
//           the count of expected IDs and each ID, then -ircapture and -irmask, each 1 byte (1 when
//           given) and the number, then 1 byte 1 for a linker, its sub-path plus 1 (0 on the main
//           path) and its note
//   failed: file, line, column, the text of the line, message
//   the count of files the script's find found and source read, then each real path
//   "end."
// A record that is cut short or that holds anything else is no record: the parent takes it as a
// child that ended without its result.
#ifndef KVR_BRIDGE_EVALUATION_RECORD_H_
#define KVR_BRIDGE_EVALUATION_RECORD_H_

#include <string>
#include <string_view>
#include <vector>

#include "bridge/imported_tap.h"

namespace kvr {

struct ScriptEvaluation {
  bool read = false;              // the chain was read into `taps`; otherwise `failure` says why
  std::vector<ImportedTap> taps;  // from TDI to TDO
  ImportFailure failure;
  std::vector<std::string> files_read;  // every file the script's find found or source read
};

std::string encode_evaluation(const ScriptEvaluation& evaluation);

// False when `bytes` is not one whole record.
bool decode_evaluation(std::string_view bytes, ScriptEvaluation& evaluation);

}  // namespace kvr

#endif  // KVR_BRIDGE_EVALUATION_RECORD_H_

// Reads a board.dat from start to end, checks it, and in verbose mode dumps every header,
// variable, class record, device record and high-level entry.
#ifndef KVR_DATABASE_DATABASE_ANALYSER_H_
#define KVR_DATABASE_DATABASE_ANALYSER_H_

#include <cstdint>
#include <cstdio>

#include "base/status.h"
#include "database/board_model.h"

namespace kvr {

// `stream` is open for binary reading at offset 0. The counts read are kept in the model's
// `variable_count`, `device_count` and `class_count`; nothing else of the model changes, and
// nothing is allocated according to a count read from the file. The dump goes to `out`.
// Returns 0 (stream rewound), -135 when the file ends inside a field, -225 for an unusable file.
Status analyse_board_database(BoardModel& model, std::FILE* stream, std::uint16_t verbose,
                              std::uint8_t version, std::FILE* out);

}  // namespace kvr

#endif  // KVR_DATABASE_DATABASE_ANALYSER_H_

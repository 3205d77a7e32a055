// The board configuration parser: reads a board.cfg of format version 1 or 2 into the board model.
// (The file format is described in full at the top of board_config_parser.cc.)
#ifndef KVR_CONFIG_BOARD_CONFIG_PARSER_H_
#define KVR_CONFIG_BOARD_CONFIG_PARSER_H_

#include <cstdint>

#include "base/status.h"
#include "config/line_reader.h"
#include "database/board_model.h"

namespace kvr {

// Parses the whole stream into `model` (which must be empty, with `line` at its start values).
// Returns 0 when the file ended between statements, else the first error. At every exit the
// stream is rewound, and the present out pointers receive the device count and the number of the
// line where the parse stopped.
Status parse_board_config(BoardModel& model, LineState& line, const LineSource& source,
                          std::uint32_t* device_count_out, std::uint32_t* line_out,
                          std::uint8_t version);

}  // namespace kvr

#endif  // KVR_CONFIG_BOARD_CONFIG_PARSER_H_

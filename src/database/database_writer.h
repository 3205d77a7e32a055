// Writes the board model as a board.dat file of version 1 or 2, in the layout of
// database/format.h: the sections in file order, then the exact S2 and the version tag.
#ifndef KVR_DATABASE_DATABASE_WRITER_H_
#define KVR_DATABASE_DATABASE_WRITER_H_

#include <cstdint>
#include <cstdio>

#include "base/status.h"
#include "database/board_model.h"
#include "database/byte_sink.h"

namespace kvr {

// `sink` stands at offset 0. Returns 0 (the sink moved back to offset 0), -135 when a label byte
// cannot be written, -136 for any later write or seek, -223 when a section would pass 0xFFFFFF
// bytes, -131 when memory is refused.
Status write_board_database(const BoardModel& model, ByteSink& sink, std::uint8_t version);

// The same into a stream open for binary writing at offset 0, which can seek; on success the
// stream is rewound.
Status write_board_database(const BoardModel& model, std::FILE* stream, std::uint8_t version);

}  // namespace kvr

#endif  // KVR_DATABASE_DATABASE_WRITER_H_

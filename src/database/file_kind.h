// Tells a board configuration file from a board database file, and their versions, from the first
// bytes of a stream.
#ifndef KVR_DATABASE_FILE_KIND_H_
#define KVR_DATABASE_FILE_KIND_H_

#include <cstdint>
#include <cstdio>

#include "base/status.h"

namespace kvr {

inline constexpr std::uint16_t kKindConfigFile = 0;
inline constexpr std::uint16_t kKindDatabaseFile = 1;

// On 0, `kind` and `version` are set and the stream stands at offset 0 again. -135 when the file
// is too short, -240 for a database label without the version 2 tag; neither out value is set then.
Status recognise_file_kind(std::FILE* stream, std::uint16_t* kind, std::uint8_t* version);

}  // namespace kvr

#endif  // KVR_DATABASE_FILE_KIND_H_

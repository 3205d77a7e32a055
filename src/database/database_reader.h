// Reads a whole board.dat held in memory into plain records, every version 2 device group expanded
// into the devices it stands for, for programs that show or convert a database rather than dump
// it. It reads what the analyser reads, in the same order and with the same checks, so a file the
// analyser accepts is read here too and one it refuses gets the same status. It also keeps where
// each part stands in the file, so that whoever reads the records can name the bytes it speaks of.
//
// Nothing is allocated according to a count read from the file before the file is known to be
// long enough for it: a device costs at least its twelve-byte high-level entry, so a device count
// that the rest of the file cannot hold is a file that ends too early, whatever else it holds.
#ifndef KVR_DATABASE_DATABASE_READER_H_
#define KVR_DATABASE_DATABASE_READER_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "database/board_model.h"

namespace kvr {

struct StoredVariable {
  std::string name, value;  // as stored, letter case kept
  std::uint32_t offset = 0;
};

struct StoredBoard {
  std::uint8_t version = 0;
  std::vector<StoredVariable> variables;  // version 2 only
  std::vector<ClassRecord> classes;
  std::vector<DeviceRecord> devices;             // dev_id order, groups expanded
  std::vector<std::uint32_t> device_offsets;     // the record (version 2: group) each comes from
  std::vector<std::uint32_t> high_level;         // each device's high-level class
  std::vector<std::array<char, 8>> name_fields;  // each device's name field, as stored
  std::uint32_t class_offset = 0;                // where the class records begin
  std::uint32_t high_level_offset = 0;           // where the high-level entries begin
  std::uint32_t end_offset = 0;                  // where the content ends; the file may go on
};

// Why a file could not be read: the analyser's status, and the field at `offset` that was wrong
// or that the file ended inside.
struct ReadFailure {
  Status status = kStatusOk;
  std::uint32_t offset = 0;
  const char* field = "";
};

// Reads `bytes` as a database of `version` (2 selects version 2, any other value version 1) into
// `board`. Returns 0, -135 when the file ends inside a field, -225 for an unusable file, -131 when
// memory is refused; `failure` says where.
Status read_board_database(std::string_view bytes, std::uint8_t version, StoredBoard& board,
                           ReadFailure& failure);

// The name a name field holds: its bytes up to the first zero byte.
std::string_view name_in(const std::array<char, 8>& field);

}  // namespace kvr

#endif  // KVR_DATABASE_DATABASE_READER_H_

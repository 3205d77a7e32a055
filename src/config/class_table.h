// The device family class tables: which class IDs a board configuration file may use, and what
// each family puts into the board model. There is one table per configuration format version, each
// of exactly 25 rows; a row's index is also its family's index into the model's per-family tables.
//
// A type name is a pattern: its first `literal_length` characters must be matched exactly and the
// characters after them are the user's digits (device identifier, address or IR length). The empty
// type name marks a placeholder row; its prefix length of 0 makes it match every class ID in the
// first, family-group pass of a look-up, and its literal length of 1 with full length 0 keeps it
// from matching any non-empty class ID in the second pass.
#ifndef KVR_CONFIG_CLASS_TABLE_H_
#define KVR_CONFIG_CLASS_TABLE_H_

#include <array>
#include <cstdint>

#include "database/board_model.h"

namespace kvr {

struct FamilyRow {
  const char* type_name;          // class ID pattern; "" for a placeholder row
  std::uint32_t prefix_length;    // characters that identify the family group
  std::uint32_t literal_length;   // characters a class ID must match exactly
  std::uint32_t full_length;      // length of a class ID of this row
  std::uint32_t class_count;      // class records created for the family: 1, 16 or 32
  std::uint32_t size;             // `size` of each of those class records
  std::uint32_t ir_length;        // IR bits of the family's devices (bypass/generic: from digits)
  std::uint32_t high_level_base;  // high-level class = base + value of the class ID's digits
  std::uint32_t mask;             // carried with the row; nothing reads it
};

using FamilyTable = std::array<FamilyRow, kFamilyRowCount>;

// Rows whose role is fixed, addressed by position in both versions. In version 1 the generic and
// the addressable-scan-port rows are placeholders, so nothing ever matches them there.
inline constexpr std::uint32_t kGenericRow = 0;
inline constexpr std::uint32_t kBypassRow = 1;
inline constexpr std::uint32_t kLinkerRow = 2;
inline constexpr std::uint32_t kPortRow = 4;
// The row index that stands for "no row found".
inline constexpr std::uint32_t kNoFamilyRow = kFamilyRowCount;

// The tables, as src/config/family_tables.txt lists them.
const FamilyTable& family_table_v1();
const FamilyTable& family_table_v2();

// Version 1 selects the version 1 table; every other value selects the version 2 table.
const FamilyTable& family_table_for(std::uint8_t version);

}  // namespace kvr

#endif  // KVR_CONFIG_CLASS_TABLE_H_

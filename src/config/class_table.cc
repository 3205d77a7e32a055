#include "config/class_table.h"

namespace kvr {

// The two tables themselves are generated from family_tables.txt.
const FamilyTable& family_table_for(std::uint8_t version) {
  return version == 1 ? family_table_v1() : family_table_v2();
}

}  // namespace kvr

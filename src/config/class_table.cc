#include "config/class_table.h"

namespace kvr {
namespace {

constexpr FamilyRow kPlaceholder = {"", 0, 1, 0, 0, 0, 0, 0, 0};

// clang-format off
constexpr FamilyTable kVersion2Table = {{
    //  type name      prefix literal full classes  size   IR  base    mask
    {"GENERICnnn",       7,     7,    10,   16,  0x1400,  8, 0x1000, 0xFFF},
    {"BYPASSnnn",        6,     6,     9,    1,  0,       8, 0x2000, 0xFFF},
    {"SPL",              3,     3,     3,    1,  0,       8, 0x3000, 0xFFF},
    {"DBM",              3,     3,     3,    1,  0,       8, 0x3100, 0xFFF},
    {"ASPaaa",           3,     3,     6,    1,  0,       8, 0x4000, 0xFFF},
    {"QV760M56xxx",      6,     8,    11,   16,  0x1400,  8, 0x5000, 0xFFF},
    {"QV760M14xxx",      6,     8,    11,   16,  0x1400,  8, 0x6000, 0xFFF},
    {"QV740WK9x",        7,     8,     9,   16,  0x1400,  8, 0x7000, 0xFF},
    {"QV740K2x",         6,     7,     8,   16,  0x1400,  8, 0x7100, 0xFF},
    {"QV740K8x",         6,     7,     8,   16,  0x1400,  8, 0x7200, 0xFF},
    {"QV740K6x",         6,     7,     8,   16,  0x8300,  8, 0x7300, 0xFF},
    {"QVARM7xx",         5,     6,     8,   16,  0x1400,  4, 0x8000, 0xFF},
    {"QVARM9xx",         5,     6,     8,   16,  0x1400,  4, 0x8100, 0xFF},
    {"QV740K75x",        6,     8,     9,   16,  0x1400,  8, 0x9000, 0xFF},
    {"QV740K72x",        6,     8,     9,   16,  0x1400,  8, 0x9100, 0xFF},
    {"QV740K73xx",       6,     8,    10,   32,  0x1400, 38, 0x9200, 0xFF},
    {"QV740K76xx",       6,     8,    10,   32,  0x1400, 38, 0x9300, 0xFF},
    {"QV740K82x",        6,     8,     9,   32,  0x1400,  8, 0xA000, 0xFF},
    {"QV740K82xx",       6,     8,    10,   32,  0x1400,  8, 0xA100, 0xFF},
    {"QV740K88xx",       6,     8,    10,   32,  0x1400, 38, 0xA200, 0xFF},
    {"QV740K475x",       6,     9,    10,   16,  0x1400,  8, 0xB000, 0xFF},
    {"QV740K471x",       6,     9,    10,   16,  0x1400, 46, 0xB100, 0xFF},
    {"QV740K435x",       6,     9,    10,   16,  0x1400,  8, 0xB200, 0xFF},
    {"QV740K431x",       6,     9,    10,   16,  0x1400, 46, 0xB300, 0xFF},
    {"QV740K42xx",       6,     8,    10,   16,  0x1400, 38, 0xB400, 0xFF},
}};

// Rows 14, 18, 22 and 23 repeat earlier rows on purpose: a look-up always stops at the earlier
// one, but the rows keep their positions so that every family keeps its index in the per-family
// tables. QVARM925 has a literal length of 7: its last position takes any character.
constexpr FamilyTable kVersion1Table = {{
    //  type name      prefix literal full classes  size   IR  base   mask
    kPlaceholder,
    {"BYPASS##",         6,     6,     8,    1,  0,       8, 0x000, 0xFF},
    {"SPL",              3,     3,     3,    1,  0,       8, 0x100, 0xFF},
    {"DBM",              3,     3,     3,   16,  0x1400,  8, 0x800, 0xFF},
    kPlaceholder,
    {"QV760M56xxx",      6,     8,    11,   16,  0x1400,  8, 0xA00, 0xFF},
    {"QV760M14xxx",      6,     8,    11,   16,  0x1400,  8, 0xB00, 0xFF},
    {"QV740WK9x",        7,     8,     9,   16,  0x1400,  8, 0x900, 0xFF},
    {"QV740K2x",         6,     7,     8,   16,  0x1400,  8, 0x200, 0xFF},
    {"QV740K8x",         6,     7,     8,   16,  0x1400,  8, 0x300, 0xFF},
    {"QV740K6x",         6,     7,     8,   16,  0x8300,  8, 0x500, 0xFF},
    {"QV780T1x",         5,     7,     8,   16,  0x1400,  4, 0x800, 0xFF},
    {"QVARM925",         5,     7,     8,   16,  0x1400,  4, 0x800, 0xFF},
    {"QV740K7xx",        6,     7,     9,   16,  0x1400,  8, 0x600, 0xFF},
    {"QV740K7xx",        6,     7,     9,   16,  0x1400,  8, 0x600, 0xFF},
    {"QV740K73xx",       6,     8,    10,   32,  0x1400, 38, 0xD00, 0xFF},
    kPlaceholder,
    {"QV740K8xx",        6,     7,     9,   16,  0x1400,  8, 0x700, 0xFF},
    {"QV740K8xx",        6,     7,     9,   16,  0x1400,  8, 0x700, 0xFF},
    {"QV740K88xx",       6,     8,    10,   32,  0x1400, 38, 0xE00, 0xFF},
    {"QV740K4x",         6,     7,     8,   16,  0x1400,  8, 0x400, 0xFF},
    {"QV740K41x",        6,     8,     9,   16,  0x1400, 46, 0xF00, 0xFF},
    {"QV740K4x",         6,     7,     8,   16,  0x1400,  8, 0x400, 0xFF},
    {"QV740K41x",        6,     8,     9,   16,  0x1400, 46, 0xF00, 0xFF},
    kPlaceholder,
}};
// clang-format on

}  // namespace

const FamilyTable& family_table_v1() {
  return kVersion1Table;
}
const FamilyTable& family_table_v2() {
  return kVersion2Table;
}

const FamilyTable& family_table_for(std::uint8_t version) {
  return version == 1 ? kVersion1Table : kVersion2Table;
}

}  // namespace kvr

#include "config/device_classes.h"

#include <cstring>

#include "base/ascii.h"
#include "config/class_table.h"
#include "config/hex_number.h"
#include "config/model_append.h"
#include "database/format.h"

namespace kvr {
namespace {

bool begins_with_literal(const char* class_id, const FamilyRow& row) {
  return same_first_chars(class_id, row.type_name, row.literal_length);
}

}  // namespace

bool same_first_chars(const char* text, const char* pattern, std::uint32_t n) {
  for (std::uint32_t i = 0; i < n; ++i) {
    if (text[i] != pattern[i]) return false;
    if (text[i] == '\0') return true;
  }
  return true;
}

Status parse_device_name(LineState& line, DeviceName& name) {
  name.fill('\0');
  static constexpr NameRules kRules = {'"', format::kNameFieldBytes, kStatusDeviceNameEmpty,
                                       kStatusDeviceNameTooLong, kStatusDeviceNameInvalid};
  const char* opening = line.buffer + line.column;
  if (*opening == '{') return kStatusBraceMisplaced;
  if (*opening != '"') return kStatusDeviceNotQuoted;
  std::size_t length = 0;
  if (Status status = measure_name(opening + 1, kRules, length); status != kStatusOk) {
    return status;
  }
  DeviceName candidate{};
  for (std::size_t k = 0; k < length; ++k) candidate[k] = to_lower(opening[1 + k]);
  line.column = static_cast<std::uint16_t>(line.column + length + 2);
  name = candidate;
  return kStatusOk;
}

Status find_family_row(const char* class_id, std::uint32_t* row, std::uint8_t version) {
  if (row != nullptr) *row = kNoFamilyRow;
  const FamilyTable& table = family_table_for(version);
  bool group_known = false;
  for (const FamilyRow& candidate : table) {
    if (same_first_chars(class_id, candidate.type_name, candidate.prefix_length)) {
      group_known = true;
      break;
    }
  }
  if (!group_known) return kStatusClassUnknownFamily;
  const std::size_t length = std::strlen(class_id);
  for (std::uint32_t r = 0; r < table.size(); ++r) {
    if (begins_with_literal(class_id, table[r]) && table[r].full_length == length) {
      if (row != nullptr) *row = r;
      return kStatusOk;
    }
  }
  return kStatusClassUnknown;
}

Status resolve_device_class(BoardModel& model, const char* class_id, std::uint8_t version,
                            DeviceEntry& device) {
  const FamilyTable& table = family_table_for(version);
  // Linkers and addressable scan ports cannot stand inside a linker group; the parser deals with
  // both on the main path before it gets here.
  if (begins_with_literal(class_id, table[kPortRow]) ||
      begins_with_literal(class_id, table[kLinkerRow])) {
    return kStatusClassNotInSubpath;
  }

  // Bypass and generic IDs carry their IR length in their digits and need no look-up, which is
  // why a linker group accepts one with fewer digits than the table shows.
  std::uint32_t r = kNoFamilyRow;
  bool ir_from_digits = true;
  if (begins_with_literal(class_id, table[kBypassRow])) {
    r = kBypassRow;
  } else if (begins_with_literal(class_id, table[kGenericRow])) {
    r = kGenericRow;
  } else {
    ir_from_digits = false;
    if (Status status = find_family_row(class_id, &r, version); status != kStatusOk) {
      return status;
    }
  }
  const FamilyRow& family = table[r];
  const std::size_t length = std::strlen(class_id);
  const std::uint32_t value =
      read_hex_u32(class_id + (length < family.literal_length ? length : family.literal_length));

  std::uint32_t ir_length = family.ir_length;
  if (ir_from_digits) {
    if (length > family.full_length || value == 0 || value > kMaxGenericIrLength) {
      return kStatusIrLengthInvalid;
    }
    ir_length = value;
  }

  if (model.family_use_count[r] == 0) {
    model.family_class_base[r] = model.class_count;
    if (Status status = append_class_block(model, family.class_count, family.size);
        status != kStatusOk) {
      return status;
    }
  }
  ++model.family_use_count[r];
  device.family = static_cast<std::uint8_t>(r);
  device.mainIR = static_cast<std::uint16_t>(ir_length);
  device.high_level = family.high_level_base + value;
  return kStatusOk;
}

}  // namespace kvr

#include "config/device_classes.h"

#include <cstring>

#include "config/class_table.h"
#include "config/hex_number.h"
#include "config/model_append.h"

namespace kvr {
namespace {

bool is_letter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
char to_lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool begins_with_literal(const char* class_id, const FamilyRow& row) {
  return same_first_chars(class_id, row.type_name, row.literal_length);
}

// Path rule for a device appended behind `prior`: it follows all IR bits and devices before it.
void set_leading_path_fields(BoardModel& model, DeviceRecord& record) {
  if (record.prior == 0) return;  // the first device of its path: both stay 0
  const DeviceRecord& before = model.devices[record.prior - 1];
  record.preIR = before.mainIR + before.preIR;
  record.preDR = before.preDR + 1;
}

}  // namespace

bool same_first_chars(const char* text, const char* pattern, std::uint32_t n) {
  for (std::uint32_t i = 0; i < n; ++i) {
    if (text[i] != pattern[i]) return false;
    if (text[i] == '\0') return true;
  }
  return true;
}

Status parse_device_name(LineState& line, const BoardModel& model, DeviceName& name) {
  name.fill('\0');
  const char* text = line.buffer;
  std::size_t pos = line.column;
  if (text[pos] == '{') return kStatusBraceMisplaced;
  if (text[pos] != '"') return kStatusDeviceNotQuoted;
  ++pos;
  DeviceName candidate{};
  // The checks run in this order so that a ninth character is "too long" whatever it is, and a
  // line that ends before the closing quote meets an invalid character.
  for (std::size_t k = 1;; ++k, ++pos) {
    char c = text[pos];
    if (c == '"') {
      if (k == 1) return kStatusDeviceNameEmpty;
      break;
    }
    if (k > kMaxDeviceName) return kStatusDeviceNameTooLong;
    candidate[k - 1] = to_lower(c);
    bool allowed = k == 1 ? is_letter(c) : (is_letter(c) || is_digit(c) || c == '_');
    if (!allowed) return kStatusDeviceNameInvalid;
  }
  line.column = static_cast<std::uint16_t>(pos + 1);
  if (device_name_taken(model, candidate)) return kStatusDeviceNameDuplicate;
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

Status resolve_device_class(BoardModel& model, const char* class_id, std::uint32_t prior,
                            std::uint32_t parent, std::uint32_t subpath, std::uint8_t version) {
  const FamilyTable& table = family_table_for(version);
  if (Status status = grow_device_records(model); status != kStatusOk) return status;
  if (Status status = grow_device_classes(model); status != kStatusOk) return status;

  DeviceRecord& record = model.devices[model.device_count - 1];
  record = DeviceRecord{};
  record.dev_id = model.device_count;
  record.prior = prior;
  record.parent = parent;
  record.subpath = subpath;
  set_leading_path_fields(model, record);

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

  record.mainIR = ir_length;
  record.cls_id = model.family_class_base[r];
  model.device_classes[model.device_count - 1] = family.high_level_base + value;
  return kStatusOk;
}

}  // namespace kvr

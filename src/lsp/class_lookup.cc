#include "lsp/class_lookup.h"

#include <string>

#include "base/ascii.h"
#include "config/device_classes.h"
#include "database/board_model.h"

namespace kvr::lsp {

ClassLookup look_up_class(std::string_view class_id, std::uint8_t version, bool in_group) {
  ClassLookup found;
  const std::string upper = upper_cased(class_id);
  const FamilyTable& table = family_table_for(version);
  if (!in_group) {
    found.status = find_family_row(upper.c_str(), &found.row, version);
    if (found.status != kStatusOk) return found;
    if (found.row == kPortRow) {
      found.status = kStatusPortOnMainPath;
      return found;
    }
    if (found.row == kLinkerRow) {
      found.ir_length = table[kLinkerRow].ir_length;
      found.high_level = table[kLinkerRow].high_level_base;
      return found;
    }
  }
  BoardModel scratch;
  DeviceEntry device{};
  found.status = resolve_device_class(scratch, upper.c_str(), version, device);
  if (found.status != kStatusOk) return found;
  found.row = device.family;
  found.ir_length = device.mainIR;
  found.high_level = device.high_level;
  return found;
}

ClassLookup device_class(const BoardDocument& document, std::size_t device) {
  const OutlineDevice& written = document.outline.devices[device];
  if (written.class_id == kNone) return {kStatusUnexpectedEnd};
  const std::string_view id =
      token_text(document.text(), document.outline.tokens[written.class_id]);
  ClassLookup found = look_up_class(id, document.reading.version, written.parent != kNone);
  if (document.loaded && device < document.loaded->board.devices.size()) {
    found.ir_length = document.loaded->board.devices[device].mainIR;
    found.high_level = document.loaded->board.high_level[device];
  }
  return found;
}

}  // namespace kvr::lsp

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

ClassLookup device_class(const BoardDocument& document, std::size_t statement) {
  if (const AnalysedDevice* device = device_of(document, statement)) {
    return {kStatusOk, device->family_row, device->ir_length, device->high_level};
  }
  const std::size_t class_token = statement_tokens(document, statement).second;
  if (class_token == kNoIndex) return {kStatusUnexpectedEnd};
  const std::string_view id = token_text(document.text(), document.tokens()[class_token]);
  const bool in_group = document.statements()[statement].linker != kNoIndex;
  return look_up_class(id, document.analysis.version, in_group);
}

}  // namespace kvr::lsp

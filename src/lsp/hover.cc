#include "lsp/hover.h"

#include "base/ascii.h"
#include "lint/class_ids.h"
#include "lint/diagnostics.h"
#include "lint/documented_variables.h"
#include "lsp/board_documentation.h"
#include "lsp/class_lookup.h"
#include "lsp/document_range.h"

namespace kvr::lsp {
namespace {

std::string code(std::string_view text) {
  return "`" + std::string(text) + "`";
}

std::string device_name(const BoardDocument& document, std::size_t device) {
  const OutlineDevice& written = document.outline.devices[device];
  return lower_cased(name_text(document.text(), document.outline.tokens[written.name]));
}

std::string plural(std::uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "Device 3 of 7 from TDI, on sub-path 0 of linker `link`." and the padding --svf gives it.
std::string chain_text(const BoardDocument& document, std::size_t device) {
  const DevicePlace& place = document.places.devices[device];
  const std::string name = device_name(document, device);
  std::string select;
  std::string text = "Device " + std::to_string(place.index) + " of " +
                     std::to_string(place.chain_length) + " from TDI, ";
  if (place.linker == kMainPath) {
    text += "on the main path";
  } else {
    const std::string linker = device_name(document, place.linker);
    text += "on sub-path " + std::to_string(place.sub_path) + " of linker " + code(linker) +
            ", with that sub-path selected";
    select = " --select " + linker + ":" + std::to_string(place.sub_path);
  }
  return text + ".\n\nIR bits from TDI: " + std::to_string(place.tdi_bits) +
         ", to TDO: " + std::to_string(place.tdo_bits) + " (TIR " + std::to_string(place.tdi_bits) +
         " and HIR " + std::to_string(place.tdo_bits) + ", as " +
         code("kvrview --svf " + name + select) + " pads them).\n";
}

std::string linker_text(const BoardDocument& document, std::size_t device) {
  std::string text = "\nIts sub-paths:\n";
  const auto totals = document.places.linkers.find(device);
  for (std::uint32_t k = 0; k < 4; ++k) {
    const PathTotal total =
        totals != document.places.linkers.end() ? totals->second[k] : PathTotal{};
    text += "- sub-path " + std::to_string(k) + ": " + plural(total.devices, "device", "devices") +
            ", " + plural(total.ir_bits, "IR bit", "IR bits") + "\n";
  }
  return text;
}

std::string device_hover(const BoardDocument& document, std::size_t device) {
  const OutlineDevice& written = document.outline.devices[device];
  const std::string name = device_name(document, device);
  if (written.class_id == kNone) return "**" + name + "**: a device without its class ID yet.\n";
  const std::string id =
      std::string(token_text(document.text(), document.outline.tokens[written.class_id]));
  const ClassLookup found = device_class(document, device);
  std::string text = "**" + name + "** " + code(id);
  if (found.status != kStatusOk) return text + ": " + status_title(found.status) + "\n";
  const FamilyRow& row = family_table_for(document.reading.version)[found.row];
  text += written.linker ? ", scan-path linker" : ", family " + code(row.type_name);
  const std::string description = family_description(row.type_name);
  if (!description.empty()) text += " (" + description + ")";
  text += ", high-level class " + hex_text(found.high_level) + "\n\nIR " +
          std::to_string(found.ir_length) + "\n";
  if (!document.loaded || device >= document.places.devices.size()) return text;
  text += "\n" + chain_text(document, device);
  if (written.linker) text += linker_text(document, device);
  return text;
}

std::string variable_hover(const BoardDocument& document, std::size_t variable) {
  const OutlineVariable& written = document.outline.variables[variable];
  const std::string name(name_text(document.text(), document.outline.tokens[written.name]));
  const DocumentedVariable* documented = find_documented_variable(name);
  if (documented == nullptr) {
    return code("[" + name + "]") + " is not one that `kvrbuild -vi` documents.\n";
  }
  std::string text =
      code("[" + name + "]") + " takes " + std::string(kinds_text(documented->kinds)) + ".\n";
  if (written.value != kNone) {
    const std::string_view value =
        token_text(document.text(), document.outline.tokens[written.value]);
    if (!value.empty())
      text += "\n" + code(value) + " is " + std::string(kinds_text(kind_of_value(value))) + ".\n";
  }
  for (const std::string& part :
       {variable_row(documented->name), variable_section(documented->name)}) {
    if (!part.empty()) text += "\n```text\n" + part + "```\n";
  }
  return text;
}

}  // namespace

std::optional<Hover> hover(const BoardDocument& document, const Position& position,
                           Encoding encoding) {
  const std::size_t offset = document.lines.offset_of(position, encoding);
  const std::size_t index = token_at(document.outline, offset);
  if (index == kNone) return std::nullopt;
  const Token& token = document.outline.tokens[index];
  std::string text;
  if (token.kind == TokenKind::kLabel) {
    text = "The label: the file is a version 2 board configuration file.\n";
  } else if (const std::size_t device = device_of_token(document.outline, index); device != kNone) {
    text = device_hover(document, device);
  } else if (const std::size_t variable = variable_of_token(document.outline, index);
             variable != kNone) {
    text = variable_hover(document, variable);
  } else {
    return std::nullopt;
  }
  return Hover{text, range_of(document, token.begin, token.end, encoding)};
}

}  // namespace kvr::lsp

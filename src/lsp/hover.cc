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

std::string plural(std::uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "Device 3 of 7 from TDI, on sub-path 0 of linker `link`", and the padding --svf gives it.
std::string chain_text(const BoardDocument& document, const AnalysedDevice& device) {
  const BoardAnalysis& analysis = document.analysis;
  std::string select;
  std::size_t index = device.path_index + 1;
  std::size_t length = analysis.main_devices;
  std::string where = "on the main path";
  if (device.linker_device != kNoIndex) {
    const AnalysedDevice& linker = analysis.devices[device.linker_device];
    if (const AnalysedLinker* l = linker_of(document, device.linker_device)) {
      length += l->sub_paths[device.sub_path].size();
    }
    index += linker.path_index + 1;
    where = "on sub-path " + std::to_string(device.sub_path) + " of linker " + code(linker.name) +
            ", with that sub-path selected";
    select = " --select " + linker.name + ":" + std::to_string(device.sub_path);
  }
  return "Device " + std::to_string(index) + " of " + std::to_string(length) + " from TDI, " +
         where + ".\n\nIR bits from TDI: " + std::to_string(device.ir_before) +
         ", to TDO: " + std::to_string(device.ir_after) + " (TIR " +
         std::to_string(device.ir_before) + " and HIR " + std::to_string(device.ir_after) +
         ", as " + code("kvrview --svf " + device.name + select) + " pads them).\n";
}

std::string linker_text(const BoardDocument& document, std::size_t device) {
  const AnalysedLinker* linker = linker_of(document, device);
  if (linker == nullptr) return "";
  std::string text = "\nIts sub-paths:\n";
  for (std::uint32_t k = 0; k < 4; ++k) {
    text += "- sub-path " + std::to_string(k) + ": " +
            plural(linker->sub_paths[k].size(), "device", "devices") + ", " +
            plural(linker->sub_path_ir[k], "IR bit", "IR bits") + "\n";
  }
  return text;
}

std::string device_hover(const BoardDocument& document, std::size_t statement) {
  const StatementTokens parts = statement_tokens(document, statement);
  const std::string name = lower_cased(name_in_token(document, parts.name));
  if (parts.second == kNoIndex) return "**" + name + "**: a device without its class ID yet.\n";
  const std::string_view id = token_text(document.text(), document.tokens()[parts.second]);
  const ClassLookup found = device_class(document, statement);
  std::string text = "**" + name + "** " + code(id);
  if (found.status != kStatusOk) return text + ": " + status_title(found.status) + "\n";
  const FamilyRow& row = family_table_for(document.analysis.version)[found.row];
  const bool linker = found.row == kLinkerRow;
  text += linker ? ", scan-path linker" : ", family " + code(row.type_name);
  const std::string description = family_description(row.type_name);
  if (!description.empty()) text += " (" + description + ")";
  text += ", high-level class " + hex_text(found.high_level) + "\n\nIR " +
          std::to_string(found.ir_length) + "\n";
  const AnalysedDevice* device = device_of(document, statement);
  // A board read past an error holds other places than the file will: none are told then.
  if (device == nullptr || !document.analysis.complete) return text;
  text += "\n" + chain_text(document, *device);
  if (linker) {
    text +=
        linker_text(document, static_cast<std::size_t>(device - document.analysis.devices.data()));
  }
  return text;
}

std::string variable_hover(const BoardDocument& document, std::size_t statement) {
  const StatementTokens parts = statement_tokens(document, statement);
  const std::string name(name_in_token(document, parts.name));
  const DocumentedVariable* documented = find_documented_variable(name);
  if (documented == nullptr) {
    return code("[" + name + "]") + " is not one that `kvrbuild -vi` documents.\n";
  }
  std::string text =
      code("[" + name + "]") + " takes " + std::string(kinds_text(documented->kinds)) + ".\n";
  if (parts.second != kNoIndex && document.tokens()[parts.second].kind == TokenKind::kValue) {
    const std::string_view value = token_text(document.text(), document.tokens()[parts.second]);
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
  const std::size_t index = token_touching(document, document.lines.offset_of(position, encoding));
  if (index == kNoIndex) return std::nullopt;
  const BoardToken& token = document.tokens()[index];
  const std::size_t statement = statement_of_token(document, index);
  std::string text;
  if (token.kind == TokenKind::kLabel) {
    text = "The label: the file is a version 2 board configuration file.\n";
  } else if (statement == kNoIndex || token.kind == TokenKind::kComment ||
             token.kind == TokenKind::kBrace) {
    return std::nullopt;
  } else if (document.statements()[statement].kind == BoardStatement::Kind::kVariable) {
    text = variable_hover(document, statement);
  } else if (document.statements()[statement].kind != BoardStatement::Kind::kBroken) {
    text = device_hover(document, statement);
  } else {
    return std::nullopt;
  }
  return Hover{text, range_of(document, token, encoding)};
}

}  // namespace kvr::lsp

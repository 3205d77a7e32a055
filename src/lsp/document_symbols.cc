#include "lsp/document_symbols.h"

#include "base/ascii.h"
#include "lsp/document_range.h"

namespace kvr::lsp {
namespace {

struct SymbolMaker {
  const BoardDocument& document;
  Encoding encoding;

  const Token& token(std::size_t index) const { return document.outline.tokens[index]; }

  Range range(std::size_t first, std::size_t last) const {
    return range_of(document, token(first).begin, token(last).end, encoding);
  }

  DocumentSymbol variable(const OutlineVariable& variable) const {
    DocumentSymbol symbol;
    symbol.name = std::string(token_text(document.text(), token(variable.name)));
    symbol.kind = kSymbolVariable;
    if (variable.value != kNone) {
      symbol.detail = std::string(token_text(document.text(), token(variable.value)));
    }
    symbol.range = range(variable.name, variable.value != kNone ? variable.value : variable.name);
    symbol.selection_range = range(variable.name, variable.name);
    return symbol;
  }

  DocumentSymbol device(std::size_t index) const {
    const OutlineDevice& device = document.outline.devices[index];
    DocumentSymbol symbol;
    symbol.name = lower_cased(name_text(document.text(), token(device.name)));
    symbol.kind = device.linker ? kSymbolNamespace : kSymbolClass;
    std::size_t last = device.class_id != kNone ? device.class_id : device.name;
    if (device.class_id != kNone) {
      symbol.detail = std::string(token_text(document.text(), token(device.class_id)));
    }
    symbol.selection_range = range(device.name, device.name);
    if (device.linker) {
      for (std::uint32_t k = 0; k < 4; ++k) {
        const OutlineGroup& group = device.groups[k];
        if (group.open == kNone) break;
        DocumentSymbol sub_path;
        sub_path.name = "sub-path " + std::to_string(k);
        sub_path.kind = kSymbolArray;
        const auto totals = document.places.linkers.find(index);
        if (totals != document.places.linkers.end()) {
          const PathTotal& total = totals->second[k];
          sub_path.detail = std::to_string(total.devices) + " devices, " +
                            std::to_string(total.ir_bits) + " IR bits";
        }
        const std::size_t close = group.close != kNone ? group.close : group.open;
        sub_path.range = range(group.open, close);
        sub_path.selection_range = range(group.open, group.open);
        last = close;
        // A linker's devices follow it in the file, each group's in turn.
        const std::vector<OutlineDevice>& devices = document.outline.devices;
        for (std::size_t d = index + 1; d < devices.size() && devices[d].parent == index; ++d) {
          if (devices[d].sub_path == k) sub_path.children.push_back(this->device(d));
        }
        symbol.children.push_back(std::move(sub_path));
      }
    }
    symbol.range = range(device.name, last);
    return symbol;
  }
};

}  // namespace

std::vector<DocumentSymbol> document_symbols(const BoardDocument& document, Encoding encoding) {
  const SymbolMaker maker{document, encoding};
  std::vector<DocumentSymbol> symbols;
  for (const OutlineVariable& variable : document.outline.variables) {
    symbols.push_back(maker.variable(variable));
  }
  for (std::size_t d = 0; d < document.outline.devices.size(); ++d) {
    if (document.outline.devices[d].parent == kNone) symbols.push_back(maker.device(d));
  }
  return symbols;
}

}  // namespace kvr::lsp

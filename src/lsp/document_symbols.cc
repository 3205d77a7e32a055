#include "lsp/document_symbols.h"

#include "base/ascii.h"
#include "lsp/document_range.h"

namespace kvr::lsp {
namespace {

using Kind = BoardStatement::Kind;

struct SymbolMaker {
  const BoardDocument& document;
  Encoding encoding;

  Range range(std::size_t first, std::size_t last) const {
    const BoardToken& a = document.tokens()[first];
    const BoardToken& b = document.tokens()[last];
    return range_of(document, a.offset, b.offset + b.length, encoding);
  }

  std::size_t index_of(const AnalysedDevice* device) const {
    return static_cast<std::size_t>(device - document.analysis.devices.data());
  }

  std::string text(std::size_t token) const {
    return std::string(token_text(document.text(), document.tokens()[token]));
  }

  DocumentSymbol variable(std::size_t statement) const {
    const StatementTokens parts = statement_tokens(document, statement);
    DocumentSymbol symbol;
    symbol.name = text(parts.name);
    symbol.kind = kSymbolVariable;
    if (parts.second != kNoIndex) symbol.detail = text(parts.second);
    symbol.range = range(parts.name, parts.second != kNoIndex ? parts.second : parts.name);
    symbol.selection_range = range(parts.name, parts.name);
    return symbol;
  }

  // A device, or a linker with its sub-paths, whose statements follow it.
  DocumentSymbol device(std::size_t statement) const {
    const BoardStatement& s = document.statements()[statement];
    const StatementTokens parts = statement_tokens(document, statement);
    DocumentSymbol symbol;
    symbol.name = lower_cased(name_in_token(document, parts.name));
    symbol.kind = s.kind == Kind::kLinker ? kSymbolNamespace : kSymbolClass;
    std::size_t last = parts.second != kNoIndex ? parts.second : parts.name;
    if (parts.second != kNoIndex) symbol.detail = text(parts.second);
    symbol.selection_range = range(parts.name, parts.name);
    const AnalysedDevice* analysed =
        document.analysis.complete ? device_of(document, statement) : nullptr;
    for (std::uint32_t k = 0; s.kind == Kind::kLinker && k < s.groups; ++k) {
      DocumentSymbol sub_path;
      sub_path.name = "sub-path " + std::to_string(k);
      sub_path.kind = kSymbolArray;
      if (const AnalysedLinker* linker =
              analysed == nullptr ? nullptr : linker_of(document, index_of(analysed))) {
        sub_path.detail = std::to_string(linker->sub_paths[k].size()) + " devices, " +
                          std::to_string(linker->sub_path_ir[k]) + " IR bits";
      }
      const std::size_t open = s.open[k];
      const std::size_t close = s.close[k] != kNoIndex ? s.close[k] : open;
      if (open == kNoIndex) continue;
      sub_path.range = range(open, close);
      sub_path.selection_range = range(open, open);
      last = std::max(last, close);
      // A linker's devices follow it, each group's in turn.
      const std::vector<BoardStatement>& all = document.statements();
      for (std::size_t t = statement + 1; t < all.size() && all[t].linker == statement; ++t) {
        if (all[t].group == k && all[t].kind == Kind::kDevice)
          sub_path.children.push_back(device(t));
      }
      symbol.children.push_back(std::move(sub_path));
    }
    symbol.range = range(parts.name, last);
    return symbol;
  }
};

}  // namespace

std::vector<DocumentSymbol> document_symbols(const BoardDocument& document, Encoding encoding) {
  const SymbolMaker maker{document, encoding};
  std::vector<DocumentSymbol> symbols;
  const std::vector<BoardStatement>& statements = document.statements();
  for (std::size_t s = 0; s < statements.size(); ++s) {
    if (statements[s].kind == Kind::kVariable) symbols.push_back(maker.variable(s));
  }
  for (std::size_t s = 0; s < statements.size(); ++s) {
    const Kind kind = statements[s].kind;
    if ((kind == Kind::kDevice || kind == Kind::kLinker) && statements[s].linker == kNoIndex) {
      symbols.push_back(maker.device(s));
    }
  }
  return symbols;
}

}  // namespace kvr::lsp

#include "lsp/code_actions.h"

#include <tuple>

#include "lsp/diagnostics.h"
#include "lsp/document_range.h"

namespace kvr::lsp {
namespace {

bool before(const Position& a, const Position& b) {
  return std::tie(a.line, a.character) < std::tie(b.line, b.character);
}

// Whether two ranges meet; an empty range meets a range it touches.
bool meet(const Range& a, const Range& b) {
  return !before(a.end, b.start) && !before(b.end, a.start);
}

}  // namespace

std::vector<CodeAction> code_actions(const BoardDocument& document, const Range& range,
                                     Encoding encoding) {
  std::vector<CodeAction> actions;
  for (const kvr::Diagnostic& finding : document.analysis.diagnostics) {
    const Diagnostic diagnostic = diagnostic_of(document, finding, encoding);
    if (!meet(diagnostic.range, range)) continue;
    bool first = finding.severity == Severity::kError;
    for (const Remark& remark : finding.remarks) {
      for (const FixIt& fix : remark.fixes) {
        CodeAction action;
        action.title = fix.title;
        action.diagnostics = {diagnostic};
        action.is_preferred = first;
        first = false;
        std::vector<TextEdit>& edits = action.edit.changes[document.uri];
        for (const kvr::TextEdit& edit : fix.edits) {
          edits.push_back({range_of(document, edit.range, encoding), edit.text});
        }
        actions.push_back(std::move(action));
      }
    }
  }
  return actions;
}

}  // namespace kvr::lsp

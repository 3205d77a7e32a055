#include "lsp/diagnostics.h"

#include "lsp/document_range.h"

namespace kvr::lsp {

Diagnostic diagnostic_of(const BoardDocument& document, const kvr::Diagnostic& finding,
                         Encoding encoding) {
  Diagnostic diagnostic;
  diagnostic.range = range_of(document, finding.range, encoding);
  diagnostic.severity = finding.severity == Severity::kError ? kSeverityError : kSeverityWarning;
  diagnostic.code = finding.check;
  diagnostic.status = finding.status;
  diagnostic.message = finding.message + (finding.detail.empty() ? "" : ": " + finding.detail);
  if (!finding.explanation.empty()) {
    std::string explanation = finding.explanation;
    while (!explanation.empty() && explanation.back() == '\n') explanation.pop_back();
    diagnostic.message += "\n" + explanation;
  }
  for (const Remark& remark : finding.remarks) {
    const bool help = remark.kind == Remark::Kind::kHelp;
    const Range range = help || remark.range.whole_file()
                            ? diagnostic.range
                            : range_of(document, remark.range, encoding);
    diagnostic.related_information.push_back(
        {{document.uri, range}, help ? "help: " + remark.text : remark.text});
  }
  return diagnostic;
}

PublishDiagnosticsParams published_diagnostics(const BoardDocument& document, Encoding encoding) {
  PublishDiagnosticsParams params{document.uri, document.version, {}};
  for (const kvr::Diagnostic& finding : document.analysis.diagnostics) {
    params.diagnostics.push_back(diagnostic_of(document, finding, encoding));
  }
  return params;
}

}  // namespace kvr::lsp

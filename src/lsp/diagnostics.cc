#include "lsp/diagnostics.h"

#include "lsp/document_range.h"

namespace kvr::lsp {

Diagnostic diagnostic_of(const BoardDocument& document, const Finding& finding, Encoding encoding) {
  Diagnostic diagnostic;
  diagnostic.range = range_of(document, finding.begin, finding.end, encoding);
  diagnostic.severity = finding.error ? kSeverityError : kSeverityWarning;
  diagnostic.code = finding.check;
  diagnostic.status = finding.status;
  diagnostic.message = finding.message;
  if (!finding.explanation.empty()) {
    std::string explanation = finding.explanation;
    while (!explanation.empty() && explanation.back() == '\n') explanation.pop_back();
    diagnostic.message += "\n" + explanation;
  }
  for (const FindingRemark& remark : finding.remarks) {
    diagnostic.related_information.push_back(
        {{document.uri, range_of(document, remark.begin, remark.end, encoding)},
         remark.help ? "help: " + remark.text : remark.text});
  }
  return diagnostic;
}

PublishDiagnosticsParams published_diagnostics(const BoardDocument& document, Encoding encoding) {
  PublishDiagnosticsParams params{document.uri, document.version, {}};
  for (const Finding& finding : document.findings) {
    params.diagnostics.push_back(diagnostic_of(document, finding, encoding));
  }
  return params;
}

}  // namespace kvr::lsp

#include "lsp/formatting.h"

#include <algorithm>

#include "lint/board_format.h"
#include "lsp/document_range.h"

namespace kvr::lsp {
namespace {

// The offset just past the line that holds byte `at` of `text`.
std::size_t next_line(std::string_view text, std::size_t at) {
  const std::size_t newline = text.find('\n', at);
  return newline == std::string_view::npos ? text.size() : newline + 1;
}

}  // namespace

std::vector<TextEdit> formatting(const BoardDocument& document, Encoding encoding,
                                 std::string& reason) {
  if (!document.configuration) {  // why the text is read as no board.cfg, as --check says it
    reason = document.analysis.diagnostics.empty() ? "it is no board configuration file"
                                                   : document.analysis.diagnostics.front().message;
    return {};
  }
  const FormatResult formatted = format_board_text(document.text());
  if (!formatted.ok) {
    reason = formatted.reason;
    return {};
  }
  const std::string_view before = document.text();
  const std::string_view after = formatted.text;
  // The lines both texts begin with, and those they end with, stay; the rest is replaced.
  std::size_t head = 0;
  for (std::size_t next; head < before.size() && (next = next_line(before, head)) <= after.size() &&
                         before.substr(head, next - head) == after.substr(head, next - head);) {
    head = next;
  }
  // The bytes both end with, from the start of a line.
  const std::size_t most = std::min(before.size(), after.size()) - head;
  std::size_t tail = 0;
  while (tail < most && before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) ++tail;
  while (tail > 0 && tail < before.size() && before[before.size() - tail - 1] != '\n') --tail;
  if (head == before.size() && head == after.size()) return {};
  const std::size_t end = before.size() - tail;
  return {{range_of(document, head, end, encoding),
           std::string(after.substr(head, after.size() - tail - head))}};
}

}  // namespace kvr::lsp

#include "lsp/check_findings.h"

#include <algorithm>
#include <tuple>

#include "base/ascii.h"
#include "database/format.h"

namespace kvr::lsp {
namespace {

// A file name no line of a board.cfg can hold: a line ends at its first zero byte.
const std::string kMarker("\0kvr", 4);

bool starts(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// A remark read back from the terminal text: its kind, its place (line numbers as printed) and
// text.
struct PrintedRemark {
  std::string kind;
  bool placed = false;
  std::uint32_t line = 0, column = 0;
  std::string text;
};

std::uint32_t number_at(std::string_view& rest) {
  std::uint32_t value = 0;
  while (!rest.empty() && rest.front() >= '0' && rest.front() <= '9') {
    value = value * 10 + static_cast<std::uint32_t>(rest.front() - '0');
    rest.remove_prefix(1);
  }
  return value;
}

// The remarks of the one diagnostic of `text`, which --check printed under kMarker.
std::vector<PrintedRemark> printed_remarks(const std::string& text) {
  std::vector<PrintedRemark> remarks;
  bool headline = true;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line(text.data() + at, end - at);
    at = end + 1;
    if (!starts(line, kMarker)) continue;
    line.remove_prefix(kMarker.size());
    PrintedRemark remark;
    if (starts(line, ":")) {
      line.remove_prefix(1);
      remark.placed = true;
      remark.line = number_at(line);
      if (starts(line, ":")) {
        line.remove_prefix(1);
        remark.column = number_at(line);
      }
    }
    if (!starts(line, ": ")) continue;
    line.remove_prefix(2);
    const std::size_t colon = line.find(": ");
    if (colon == std::string_view::npos) continue;
    remark.kind = line.substr(0, colon);
    remark.text = line.substr(colon + 2);
    if (headline) {
      headline = false;  // the diagnostic itself
      continue;
    }
    remarks.push_back(std::move(remark));
  }
  return remarks;
}

// The full line number of a line printed as `printed` (wrapping after 65535) at or before
// `full_line`: a note of the parser's error points back, or at its own line.
std::uint32_t unwrapped(std::uint32_t printed, std::uint32_t full_line) {
  return full_line - ((full_line - printed) & 0xFFFFu);
}

// The parser's error with its notes and help, as --check gives it.
kvr::Diagnostic parser_error(const ConfigReading& reading) {
  const ParseStop& stop = reading.stop;
  kvr::Diagnostic error =
      error_diagnostic(reading.status, {stop.line, stop.full_line, stop.column});
  const std::string text =
      check_report(kMarker, reading, nullptr, CheckSettings::errors_only()).text;
  for (const PrintedRemark& printed : printed_remarks(text)) {
    Remark remark{printed.kind == "help" ? "help" : "note", {}, printed.text};
    if (printed.placed && printed.kind != "help") {
      const std::uint32_t full = unwrapped(printed.line, stop.full_line);
      remark.place = {full & 0xFFFFu, full, printed.column};
    } else if (printed.kind == "help") {
      remark.place = error.place;
    }
    error.remarks.push_back(std::move(remark));
  }
  return error;
}

std::string without_suffix(const std::string& text) {
  const std::size_t bracket = text.rfind(" [");
  return bracket == std::string::npos ? text : text.substr(0, bracket);
}

// Where a place stands: from its byte to the end of the token there (less a closing bracket or
// quote when the place is inside the brackets), the line for a column 0, the start of the text for
// the file as a whole.
std::pair<std::size_t, std::size_t> range_of(const BoardDocument& document, const Place& place) {
  if (place.full_line == 0) return {0, 0};
  const std::size_t begin = document.lines.offset_of_place(place.full_line, place.column);
  if (place.column == 0) {
    return {begin, document.lines.offset_of_place(place.full_line, ~std::uint32_t{0})};
  }
  const auto [token_begin, token_end] = token_range_at(document, begin);
  std::size_t end = std::max(begin, token_end);
  const std::string& text = document.text();
  if (token_begin < begin && end > begin && (text[end - 1] == ']' || text[end - 1] == '"')) --end;
  return {begin, end};
}

// The end of the line that holds `offset`, before its CR LF or LF.
std::size_t line_content_end(const std::string& text, std::size_t offset) {
  std::size_t end = std::min(text.find('\n', offset), text.size());
  if (end > offset && text[end - 1] == '\r') --end;
  return end;
}

// The edit that puts the label at the start of the file: the byte-order mark and blanks before a
// label are removed, and a file without one gets it on a line of its own.
ByteEdit label_edit(const std::string& text) {
  std::size_t at = starts(text, "\xEF\xBB\xBF") ? 3 : 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  if (text.size() - at >= format::kLabelLength &&
      equal_nocase_n(text.data() + at, format::kConfigLabel, format::kLabelLength) == 0) {
    return {0, at, ""};
  }
  const bool crlf = text.find("\r\n") != std::string::npos;
  return {0, 0, std::string(format::kConfigLabel) + (crlf ? "\r\n" : "\n")};
}

// The text between `open` and `close` of `text`, when both stand in it.
std::optional<std::string> between(const std::string& text, std::string_view open,
                                   std::string_view close) {
  const std::size_t begin = text.find(open);
  if (begin == std::string::npos) return std::nullopt;
  const std::size_t end = text.find(close, begin + open.size());
  if (end == std::string::npos) return std::nullopt;
  return text.substr(begin + open.size(), end - begin - open.size());
}

// The numbers of "16", "16 or 20", "1, 2 or 3".
std::vector<std::string> listed_numbers(const std::string& list) {
  std::vector<std::string> numbers;
  std::string number;
  for (const char c : list + " ") {
    if (is_digit(c)) {
      number += c;
    } else if (!number.empty()) {
      numbers.push_back(std::move(number));
      number.clear();
    }
  }
  return numbers;
}

// The fixes that carry out what a help says, for the finding [begin, end) of `finding`.
std::vector<FindingFix> fixes_for(const BoardDocument& document, const Finding& finding,
                                  const std::string& help) {
  const std::string& text = document.text();
  const auto [token_begin, token_end] = token_range_at(document, finding.begin);
  const auto replace_token = [&, token_begin = token_begin, token_end = token_end](
                                 const std::string& by) -> std::vector<FindingFix> {
    return {{"change `" + text.substr(token_begin, token_end - token_begin) + "' to `" + by + "'",
             {{token_begin, token_end, by}}}};
  };
  if (const auto id = between(help, "did you mean '", "'?")) return replace_token(*id);
  if (const auto id = between(help, "write `", "' in full where")) return replace_token(*id);
  if (const auto name = between(help, "did you mean [", "]?")) {
    const std::size_t close = text.find(']', token_begin);
    const std::size_t end = close < token_end ? close : token_end;
    return {
        {"change [" + text.substr(token_begin + 1, end - token_begin - 1) + "] to [" + *name + "]",
         {{token_begin + 1, end, *name}}}};
  }
  if (starts(help, "a brace written directly after a class ID belongs to it")) {
    const std::size_t brace = text.find_first_of("{}", token_begin);
    if (brace >= token_end) return {};
    return {{"put a blank before the `" + text.substr(brace, 1) + "'", {{brace, brace, " "}}}};
  }
  if (starts(help, "begin the file with the label itself") ||
      help.find("is a class ID of version 2 files, which begin with the label") !=
          std::string::npos) {
    const ByteEdit edit = label_edit(text);
    return {
        {edit.text.empty() ? "begin the file with its label" : "add the label `;CFG-2.0'", {edit}}};
  }
  if (starts(help, "end the string with ' on the same line")) {
    const std::size_t end = line_content_end(text, finding.begin);
    return {{"end the string with '", {{end, end, "'"}}}};
  }
  if (starts(help, "give 0 to have the length worked out")) {
    const bool bits = finding.message.find(" IR bits") != std::string::npos;
    const auto lengths =
        between(finding.message, "the scan path holds ", bits ? " IR bits" : " devices");
    std::vector<FindingFix> fixes;
    for (const std::string& number : listed_numbers(lengths.value_or(""))) {
      fixes.push_back({"set it to " + number + ", what the scan path holds",
                       {{token_begin, token_end, number}}});
    }
    fixes.push_back({"set it to 0, to have it worked out", {{token_begin, token_end, "0"}}});
    return fixes;
  }
  return {};
}

Finding finding_of(const BoardDocument& document, const kvr::Diagnostic& diagnostic,
                   const std::string& check) {
  Finding finding;
  finding.error = std::string_view(diagnostic.severity) == "error";
  finding.check = check;
  finding.message = without_suffix(diagnostic.text);
  finding.explanation = diagnostic.explanation;
  std::tie(finding.begin, finding.end) = range_of(document, diagnostic.place);
  if (check.empty()) finding.status = document.reading.status;
  for (const Remark& remark : diagnostic.remarks) {
    FindingRemark kept;
    kept.help = std::string_view(remark.kind) == "help";
    kept.text = remark.text;
    if (!kept.help && remark.place.full_line != 0) {
      std::tie(kept.begin, kept.end) = range_of(document, remark.place);
    } else {
      kept.begin = finding.begin;
      kept.end = finding.end;
    }
    if (kept.help) kept.fixes = fixes_for(document, finding, remark.text);
    finding.remarks.push_back(std::move(kept));
  }
  return finding;
}

// Each check's diagnostics as check_report makes them, with the name of its check.
struct Named {
  kvr::Diagnostic diagnostic;
  std::string check;
};

std::vector<Named> named_diagnostics(const BoardDocument& document, const CheckSettings& settings) {
  std::vector<Named> all;
  const CheckInput input{document.reading, document.loaded ? &*document.loaded : nullptr};
  for (const BoardCheck& check : board_checks()) {
    if (!settings.runs(check)) continue;
    std::vector<kvr::Diagnostic> found;
    check.run(input, found);
    const bool error = settings.all_errors || settings.errors.contains(check.name);
    for (kvr::Diagnostic& diagnostic : found) {
      if (error) diagnostic.severity = "error";
      diagnostic.text += error ? " [-Werror=" + std::string(check.name) + "]"
                               : " [-W" + std::string(check.name) + "]";
      all.push_back({std::move(diagnostic), check.name});
    }
  }
  if (document.reading.status != kStatusOk) all.push_back({parser_error(document.reading), ""});
  // In file order; the parser's error last among those at its place.
  std::stable_sort(all.begin(), all.end(), [](const Named& a, const Named& b) {
    return std::tie(a.diagnostic.place.full_line, a.diagnostic.place.column) <
           std::tie(b.diagnostic.place.full_line, b.diagnostic.place.column);
  });
  return all;
}

}  // namespace

std::vector<kvr::Diagnostic> check_diagnostics(const BoardDocument& document,
                                               const CheckSettings& settings) {
  std::vector<kvr::Diagnostic> diagnostics;
  for (Named& named : named_diagnostics(document, settings)) {
    diagnostics.push_back(std::move(named.diagnostic));
  }
  return diagnostics;
}

std::vector<Finding> check_findings(const BoardDocument& document, const CheckSettings& settings) {
  std::vector<Finding> findings;
  for (const Named& named : named_diagnostics(document, settings)) {
    findings.push_back(finding_of(document, named.diagnostic, named.check));
  }
  return findings;
}

std::optional<Finding> file_kind_finding(const BoardDocument& document, Status recognition,
                                         bool database) {
  constexpr const char* kWhat = "not recognised as a board configuration file or a board database";
  Finding finding;
  finding.error = true;
  const std::size_t size = document.text().size();
  if (recognition == kStatusOk && !database) return std::nullopt;
  if (recognition == kStatusOk) {
    finding.message = "a board database, where --check reads a board configuration file";
  } else if (size < format::kLabelLength) {
    finding.message = std::string(kWhat) + ": it holds " + std::to_string(size) +
                      (size == 1 ? " byte" : " bytes") +
                      ", and a board file is recognised by its first 8 (a version 2 file begins "
                      "with the label `;CFG-2.0' or `;DAT-2.0')";
  } else {
    const std::string text = file_diagnostic(kMarker, kWhat, recognition);
    const std::size_t headline_end = text.find('\n');
    finding.message =
        without_suffix(text.substr(kMarker.size() + 9, headline_end - kMarker.size() - 9));
    finding.explanation = text.substr(headline_end + 1);
    finding.status = recognition;
  }
  return finding;
}

}  // namespace kvr::lsp

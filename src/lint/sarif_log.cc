#include "lint/sarif_log.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "base/utf8.h"
#include "lint/board_checks.h"

namespace kvr {
namespace {

using nlohmann::json;

// The statuses the parser gives, each a rule.
constexpr Status kParserStatuses[] = {-131, -248, -354, -356, -361, -362, -363,
                                      -364, -365, -370, -372, -373, -374, -375,
                                      -380, -381, -383, -384, -386, -390, -391};

// A file name as a URI reference: every byte but the unreserved ones and '/' percent-encoded, a
// backslash taken as the separator it is.
std::string uri_of(const std::string& name) {
  std::string uri;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      uri += '/';
    } else if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
               (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
               c == '/') {
      uri += c;
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 0xF];
    }
  }
  return uri;
}

// Columns count code points from 1, the bytes of the line read as UTF-8; the byte offset and
// length are given as well.
json region_of(std::string_view text, const SourceRange& range) {
  const std::size_t length = range.end_column - range.column;
  const std::size_t offset = std::min<std::size_t>(range.offset, text.size());
  const std::size_t line_start = offset - std::min<std::size_t>(range.column, offset);
  const std::size_t column = utf8_code_points(text.substr(line_start, offset - line_start)) + 1;
  const std::size_t end_column = column + utf8_code_points(text.substr(offset, length));
  return {{"startLine", range.full_line}, {"startColumn", column},
          {"endLine", range.full_line},   {"endColumn", end_column},
          {"byteOffset", range.offset},   {"byteLength", length}};
}

json location_of(std::string_view text, const std::string& uri, const SourceRange& range) {
  json physical = {{"artifactLocation", {{"uri", uri}}}};
  if (!range.whole_file()) physical["region"] = region_of(text, range);
  return {{"physicalLocation", physical}};
}

const char* level_of(Severity severity) {
  return severity == Severity::kError     ? "error"
         : severity == Severity::kWarning ? "warning"
                                          : "note";
}

json rules() {
  json list = json::array();
  for (const BoardCheck& check : board_checks()) {
    list.push_back({{"id", check.name},
                    {"shortDescription", {{"text", json(check.summary)}}},
                    {"defaultConfiguration", {{"level", "warning"}}}});
  }
  for (const Status status : kParserStatuses) {
    list.push_back({{"id", std::to_string(status)},
                    {"shortDescription", {{"text", json(title_of_status(status))}}},
                    {"fullDescription", {{"text", json(explanation_of_status(status))}}},
                    {"defaultConfiguration", {{"level", "error"}}}});
  }
  return list;
}

std::size_t rule_index(const Diagnostic& d) {
  std::size_t index = 0;
  for (const BoardCheck& check : board_checks()) {
    if (d.status == kStatusOk && d.check == check.name) return index;
    ++index;
  }
  for (const Status status : kParserStatuses) {
    if (d.status == status) return index;
    ++index;
  }
  return index;
}

json result_of(std::string_view text, const Diagnostic& d, const std::string& uri) {
  std::string message = d.message + (d.detail.empty() ? "" : ": " + d.detail);
  json related = json::array();
  json fixes = json::array();
  for (const Remark& remark : d.remarks) {
    const bool help = remark.kind == Remark::Kind::kHelp;
    if (!help && !remark.range.whole_file()) {
      json location = location_of(text, uri, remark.range);
      location["id"] = related.size();
      location["message"] = {{"text", json(remark.text)}};
      related.push_back(location);
    } else {
      message += std::string("\n") + (help ? "help: " : "note: ") + remark.text;
    }
    for (const FixIt& fix : remark.fixes) {
      json replacements = json::array();
      for (const TextEdit& edit : fix.edits) {
        replacements.push_back({{"deletedRegion", region_of(text, edit.range)},
                                {"insertedContent", {{"text", json(edit.text)}}}});
      }
      fixes.push_back({{"description", {{"text", json(fix.title)}}},
                       {"artifactChanges",
                        {{{"artifactLocation", {{"uri", uri}}}, {"replacements", replacements}}}}});
    }
  }
  json result = {{"ruleId", d.code()},
                 {"ruleIndex", rule_index(d)},
                 {"level", level_of(d.severity)},
                 {"message", {{"text", json(message)}}},
                 {"locations", {location_of(text, uri, d.range)}}};
  if (!related.empty()) result["relatedLocations"] = related;
  if (!fixes.empty()) result["fixes"] = fixes;
  return result;
}

}  // namespace

std::string sarif_log(const BoardAnalysis& analysis, const std::string& version) {
  const std::string uri = uri_of(analysis.name);
  json results = json::array();
  for (const Diagnostic& d : analysis.diagnostics)
    results.push_back(result_of(analysis.text, d, uri));
  const json log = {
      {"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
      {"version", "2.1.0"},
      {"runs",
       {{{"tool", {{"driver", {{"name", "kvrview"}, {"version", version}, {"rules", rules()}}}}},
         {"artifacts", {{{"location", {{"uri", uri}}}, {"length", analysis.text.size()}}}},
         {"columnKind", "unicodeCodePoints"},
         {"results", results}}}}};
  // A byte that is not part of valid UTF-8 is written as U+FFFD.
  return log.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace kvr

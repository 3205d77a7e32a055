#include "lsp/protocol.h"

#include <nlohmann/json.hpp>

namespace kvr::lsp {
namespace {

// A list of records as a JSON array, empty or not.
template <typename T>
Json array_of(const std::vector<T>& items) {
  Json array = Json::array();
  for (const T& item : items) array.push_back(item);
  return array;
}

std::string uri_of(const Json& json) {
  return json.at("textDocument").at("uri").get<std::string>();
}

}  // namespace

std::string encoding_name(Encoding encoding) {
  return encoding == Encoding::kUtf8 ? "utf-8" : "utf-16";
}

void to_json(Json& json, const Position& position) {
  json = {{"line", position.line}, {"character", position.character}};
}

void to_json(Json& json, const Range& range) {
  json = {{"start", range.start}, {"end", range.end}};
}

void to_json(Json& json, const Location& location) {
  json = {{"uri", location.uri}, {"range", location.range}};
}

void to_json(Json& json, const TextEdit& edit) {
  json = {{"range", edit.range}, {"newText", edit.new_text}};
}

void to_json(Json& json, const WorkspaceEdit& edit) {
  Json changes = Json::object();
  for (const auto& [uri, edits] : edit.changes) changes[uri] = array_of(edits);
  json = {{"changes", changes}};
}

void to_json(Json& json, const DiagnosticRelatedInformation& information) {
  json = {{"location", information.location}, {"message", information.message}};
}

void to_json(Json& json, const Diagnostic& diagnostic) {
  json = {{"range", diagnostic.range},
          {"severity", diagnostic.severity},
          {"source", diagnostic.source},
          {"message", diagnostic.message}};
  if (!diagnostic.code.empty()) {
    json["code"] = diagnostic.code;
  } else if (diagnostic.status != 0) {
    json["code"] = diagnostic.status;
  }
  if (!diagnostic.related_information.empty()) {
    json["relatedInformation"] = array_of(diagnostic.related_information);
  }
}

void to_json(Json& json, const PublishDiagnosticsParams& params) {
  json = {{"uri", params.uri}, {"diagnostics", array_of(params.diagnostics)}};
  if (params.version) json["version"] = *params.version;
}

void to_json(Json& json, const CodeAction& action) {
  json = {{"title", action.title},
          {"kind", action.kind},
          {"diagnostics", array_of(action.diagnostics)},
          {"edit", action.edit}};
  if (action.is_preferred) json["isPreferred"] = true;
}

void to_json(Json& json, const Hover& hover) {
  json = {{"contents", {{"kind", "markdown"}, {"value", hover.markdown}}}, {"range", hover.range}};
}

void to_json(Json& json, const CompletionItem& item) {
  json = {{"label", item.label}, {"kind", item.kind}, {"detail", item.detail}};
  if (!item.documentation.empty()) {
    json["documentation"] = {{"kind", "markdown"}, {"value", item.documentation}};
  }
  if (!item.sort_text.empty()) json["sortText"] = item.sort_text;
  if (item.text_edit) json["textEdit"] = *item.text_edit;
}

void to_json(Json& json, const DocumentSymbol& symbol) {
  json = {{"name", symbol.name},
          {"kind", symbol.kind},
          {"range", symbol.range},
          {"selectionRange", symbol.selection_range}};
  if (!symbol.detail.empty()) json["detail"] = symbol.detail;
  if (!symbol.children.empty()) json["children"] = array_of(symbol.children);
}

void to_json(Json& json, const FoldingRange& range) {
  json = {{"startLine", range.start_line}, {"endLine", range.end_line}, {"kind", "region"}};
}

void to_json(Json& json, const InlayHint& hint) {
  json = {{"position", hint.position}, {"label", hint.label}, {"paddingLeft", hint.padding_left}};
}

void to_json(Json& json, const SemanticTokens& tokens) {
  json = {{"data", tokens.data}};
}

void to_json(Json& json, const InitializeResult& result) {
  const std::string encoding = encoding_name(result.encoding);
  const Json capabilities = {
      {"positionEncoding", encoding},
      {"textDocumentSync",
       {{"openClose", true}, {"change", 2}, {"save", {{"includeText", false}}}}},
      {"hoverProvider", true},
      {"completionProvider", {{"triggerCharacters", {"[", "\""}}}},
      {"documentSymbolProvider", true},
      {"foldingRangeProvider", true},
      {"semanticTokensProvider",
       {{"legend",
         {{"tokenTypes", result.legend.token_types},
          {"tokenModifiers", result.legend.token_modifiers}}},
        {"full", true}}},
      {"inlayHintProvider", true},
      {"definitionProvider", true},
      {"renameProvider", true},
      {"documentFormattingProvider", true},
      {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
  };
  // offsetEncoding is the older name that clients before 3.17 read.
  json = {{"capabilities", capabilities},
          {"offsetEncoding", encoding},
          {"serverInfo", {{"name", "kvrview"}, {"version", result.version}}}};
}

void from_json(const Json& json, Position& position) {
  position.line = json.at("line").get<std::uint32_t>();
  position.character = json.at("character").get<std::uint32_t>();
}

void from_json(const Json& json, Range& range) {
  range.start = json.at("start").get<Position>();
  range.end = json.at("end").get<Position>();
}

void from_json(const Json& json, InitializeParams& params) {
  params.position_encodings.clear();
  const auto capabilities = json.find("capabilities");  // not copied: it may nest deeply
  if (capabilities == json.end()) return;
  for (const char* key : {"/general/positionEncodings", "/offsetEncoding"}) {
    const Json::json_pointer pointer(key);
    if (!capabilities->contains(pointer) || !(*capabilities)[pointer].is_array()) continue;
    for (const Json& name : (*capabilities)[pointer]) {
      if (name.is_string()) params.position_encodings.push_back(name.get<std::string>());
    }
  }
}

void from_json(const Json& json, TextDocumentItem& item) {
  const Json& document = json.at("textDocument");
  item.uri = document.at("uri").get<std::string>();
  item.version = document.value("version", std::int64_t{0});
  item.text = document.at("text").get<std::string>();
}

void from_json(const Json& json, TextDocumentContentChangeEvent& change) {
  change.range.reset();
  if (json.contains("range")) change.range = json.at("range").get<Range>();
  change.text = json.at("text").get<std::string>();
}

void from_json(const Json& json, DidChangeParams& params) {
  params.uri = uri_of(json);
  params.version = json.at("textDocument").value("version", std::int64_t{0});
  params.changes = json.at("contentChanges").get<std::vector<TextDocumentContentChangeEvent>>();
}

void from_json(const Json& json, TextDocumentPositionParams& params) {
  params.uri = uri_of(json);
  params.position = json.at("position").get<Position>();
}

void from_json(const Json& json, RenameParams& params) {
  params.uri = uri_of(json);
  params.position = json.at("position").get<Position>();
  params.new_name = json.at("newName").get<std::string>();
}

void from_json(const Json& json, RangeParams& params) {
  params.uri = uri_of(json);
  params.range = json.at("range").get<Range>();
}

}  // namespace kvr::lsp

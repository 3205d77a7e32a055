// The records of the Language Server Protocol (3.17) that the server reads and writes, with their
// JSON conversions, and nothing else: no record knows where it comes from or what it is for. Names
// are the protocol's, in this code's spelling; an absent optional field is left out of the JSON.
// Reading a record throws nlohmann::json's exceptions for a field that is missing or of the wrong
// type, which the server answers as invalid parameters.
#ifndef KVR_LSP_PROTOCOL_H_
#define KVR_LSP_PROTOCOL_H_

#include <cstdint>
#include <map>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <vector>

#include "lsp/text_positions.h"

namespace kvr::lsp {

using Json = nlohmann::json;

// JSON-RPC's and the protocol's error codes.
inline constexpr int kParseError = -32700;
inline constexpr int kInvalidRequest = -32600;
inline constexpr int kMethodNotFound = -32601;
inline constexpr int kInvalidParams = -32602;
inline constexpr int kInternalError = -32603;
inline constexpr int kServerNotInitialized = -32002;
inline constexpr int kRequestFailed = -32803;

struct Range {
  Position start, end;
  friend bool operator==(const Range&, const Range&) = default;
};

struct Location {
  std::string uri;
  Range range;
};

struct TextEdit {
  Range range;
  std::string new_text;
};

struct WorkspaceEdit {
  std::map<std::string, std::vector<TextEdit>> changes;  // by document URI
};

struct DiagnosticRelatedInformation {
  Location location;
  std::string message;
};

inline constexpr int kSeverityError = 1;
inline constexpr int kSeverityWarning = 2;

struct Diagnostic {
  Range range;
  int severity = kSeverityError;
  std::string code;         // a check's name; empty for an error, whose code is its status
  std::int32_t status = 0;  // the error's status, a number in the JSON
  std::string source = "kvrview";
  std::string message;
  std::vector<DiagnosticRelatedInformation> related_information;
};

struct PublishDiagnosticsParams {
  std::string uri;
  std::optional<std::int64_t> version;
  std::vector<Diagnostic> diagnostics;
};

struct CodeAction {
  std::string title;
  std::string kind = "quickfix";
  std::vector<Diagnostic> diagnostics;
  bool is_preferred = false;
  WorkspaceEdit edit;
};

struct Hover {
  std::string markdown;
  Range range;
};

// CompletionItemKind values the server uses.
inline constexpr int kCompletionVariable = 6;
inline constexpr int kCompletionClass = 7;
inline constexpr int kCompletionValue = 12;
inline constexpr int kCompletionKeyword = 14;

struct CompletionItem {
  std::string label;
  int kind = kCompletionValue;
  std::string detail;
  std::string documentation;  // markdown; left out when empty
  std::string sort_text;      // left out when empty
  std::optional<TextEdit> text_edit;
};

// SymbolKind values the server uses.
inline constexpr int kSymbolModule = 2;
inline constexpr int kSymbolNamespace = 3;
inline constexpr int kSymbolClass = 5;
inline constexpr int kSymbolVariable = 13;
inline constexpr int kSymbolArray = 18;

struct DocumentSymbol {
  std::string name;
  std::string detail;
  int kind = kSymbolVariable;
  Range range, selection_range;
  std::vector<DocumentSymbol> children;
};

struct FoldingRange {
  std::uint32_t start_line = 0, end_line = 0;
};

struct InlayHint {
  Position position;
  std::string label;
  bool padding_left = true;
};

struct SemanticTokens {
  std::vector<std::uint32_t> data;  // five numbers a token, each place relative to the one before
};

struct SemanticTokensLegend {
  std::vector<std::string> token_types, token_modifiers;
};

// What the server answers to `initialize`.
struct InitializeResult {
  Encoding encoding = Encoding::kUtf16;
  SemanticTokensLegend legend;
  std::string version;
};

// What the server reads of `initialize`: the position encodings the client offers, in its order
// of preference (the protocol's general.positionEncodings, or the older offsetEncoding).
struct InitializeParams {
  std::vector<std::string> position_encodings;
};

struct TextDocumentItem {
  std::string uri;
  std::int64_t version = 0;
  std::string text;
};

struct TextDocumentContentChangeEvent {
  std::optional<Range> range;  // none: the whole text
  std::string text;
};

struct DidChangeParams {
  std::string uri;
  std::int64_t version = 0;
  std::vector<TextDocumentContentChangeEvent> changes;
};

struct TextDocumentPositionParams {
  std::string uri;
  Position position;
};

struct RenameParams {
  std::string uri;
  Position position;
  std::string new_name;
};

struct RangeParams {  // code actions and inlay hints: a document and a range of it
  std::string uri;
  Range range;
};

std::string encoding_name(Encoding encoding);

void to_json(Json& json, const Position& position);
void to_json(Json& json, const Range& range);
void to_json(Json& json, const Location& location);
void to_json(Json& json, const TextEdit& edit);
void to_json(Json& json, const WorkspaceEdit& edit);
void to_json(Json& json, const DiagnosticRelatedInformation& information);
void to_json(Json& json, const Diagnostic& diagnostic);
void to_json(Json& json, const PublishDiagnosticsParams& params);
void to_json(Json& json, const CodeAction& action);
void to_json(Json& json, const Hover& hover);
void to_json(Json& json, const CompletionItem& item);
void to_json(Json& json, const DocumentSymbol& symbol);
void to_json(Json& json, const FoldingRange& range);
void to_json(Json& json, const InlayHint& hint);
void to_json(Json& json, const SemanticTokens& tokens);
void to_json(Json& json, const InitializeResult& result);

void from_json(const Json& json, Position& position);
void from_json(const Json& json, Range& range);
void from_json(const Json& json, InitializeParams& params);
void from_json(const Json& json, TextDocumentItem& item);
void from_json(const Json& json, TextDocumentContentChangeEvent& change);
void from_json(const Json& json, DidChangeParams& params);
void from_json(const Json& json, TextDocumentPositionParams& params);
void from_json(const Json& json, RenameParams& params);
void from_json(const Json& json, RangeParams& params);

}  // namespace kvr::lsp

#endif  // KVR_LSP_PROTOCOL_H_

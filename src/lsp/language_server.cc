#include "lsp/language_server.h"

#include <iostream>
#include <new>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#endif

#include "lsp/code_actions.h"
#include "lsp/completion.h"
#include "lsp/definition.h"
#include "lsp/diagnostics.h"
#include "lsp/document_store.h"
#include "lsp/document_symbols.h"
#include "lsp/folding_ranges.h"
#include "lsp/formatting.h"
#include "lsp/hover.h"
#include "lsp/inlay_hints.h"
#include "lsp/json_transport.h"
#include "lsp/protocol.h"
#include "lsp/rename.h"
#include "lsp/semantic_tokens.h"

namespace kvr::lsp {
namespace {

struct Session {
  enum class Phase { kWaiting, kRunning, kShutDown } phase = Phase::kWaiting;
  Encoding encoding = Encoding::kUtf16;
  CheckSettings checks;
  DocumentStore store;
  std::vector<Json> notifications;  // to send after the answer
  std::optional<int> exit_status;
  std::ostream* log = nullptr;
};

// A request that cannot be answered with a result.
struct RequestError {
  int code;
  std::string message;
};

Json notification(const char* method, Json params) {
  return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

Json response(const Json& id, Json result) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}};
}

Json error_response(const Json& id, int code, const std::string& message) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

std::string uri_in(const Json& params) {
  return params.at("textDocument").at("uri").get<std::string>();
}

const BoardDocument& document_in(const Session& session, const Json& params) {
  const std::string uri = uri_in(params);
  const BoardDocument* document = find_document(session.store, uri);
  if (document == nullptr) throw RequestError{kInvalidParams, "no document " + uri + " is open"};
  return *document;
}

void publish(Session& session, const BoardDocument& document) {
  session.notifications.push_back(notification("textDocument/publishDiagnostics",
                                               published_diagnostics(document, session.encoding)));
}

// The session's requests and notifications, each taking its parameters and giving its result.

Json initialize(Session& session, const Json& params) {
  if (session.phase != Session::Phase::kWaiting) {
    throw RequestError{kInvalidRequest, "the server is initialized already"};
  }
  const InitializeParams read = params.get<InitializeParams>();
  for (const std::string& name : read.position_encodings) {
    if (name == "utf-8") session.encoding = Encoding::kUtf8;
  }
  // Looked at where they stand: a copy of a value nested deeply enough would overflow the stack.
  const Json* warnings = nullptr;
  if (const auto options = params.find("initializationOptions");
      options != params.end() && options->is_object()) {
    if (const auto found = options->find("warnings"); found != options->end()) warnings = &*found;
  }
  if (warnings != nullptr && warnings->is_array()) {
    for (const Json& word : *warnings) {
      const std::string option = word.is_string() ? word.get<std::string>() : "";
      if (!option.starts_with("-W") || !session.checks.apply(option.substr(2))) {
        *session.log << "kvrview --lsp: "
                     << (word.is_string() ? "`" + option + "' is"
                                          : "a warnings entry that is no string is")
                     << " no -W option of --check\n";
      }
    }
  }
  session.checks = session.checks.resolved(false);
  session.phase = Session::Phase::kRunning;
  return InitializeResult{session.encoding, semantic_tokens_legend(), KVR_VERSION};
}

Json shutdown(Session& session, const Json&) {
  session.phase = Session::Phase::kShutDown;
  return nullptr;
}

Json ignored(Session&, const Json&) {
  return nullptr;
}

Json did_open(Session& session, const Json& params) {
  publish(session, open_document(session.store, params.get<TextDocumentItem>(), session.checks));
  return nullptr;
}

Json did_change(Session& session, const Json& params) {
  const BoardDocument* document = change_document(session.store, params.get<DidChangeParams>(),
                                                  session.encoding, session.checks);
  if (document == nullptr)
    throw RequestError{kInvalidParams, "no document " + uri_in(params) + " is open"};
  publish(session, *document);
  return nullptr;
}

Json did_save(Session& session, const Json& params) {
  publish(session, document_in(session, params));
  return nullptr;
}

Json did_close(Session& session, const Json& params) {
  const std::string uri = uri_in(params);
  close_document(session.store, uri);
  session.notifications.push_back(notification("textDocument/publishDiagnostics",
                                               PublishDiagnosticsParams{uri, std::nullopt, {}}));
  return nullptr;
}

Json on_hover(Session& session, const Json& params) {
  const auto at = params.get<TextDocumentPositionParams>();
  const std::optional<Hover> found =
      hover(document_in(session, params), at.position, session.encoding);
  return found ? Json(*found) : Json(nullptr);
}

Json on_completion(Session& session, const Json& params) {
  const auto at = params.get<TextDocumentPositionParams>();
  return completion(document_in(session, params), at.position, session.encoding);
}

Json on_document_symbols(Session& session, const Json& params) {
  return document_symbols(document_in(session, params), session.encoding);
}

Json on_folding_ranges(Session& session, const Json& params) {
  return folding_ranges(document_in(session, params));
}

Json on_semantic_tokens(Session& session, const Json& params) {
  return semantic_tokens(document_in(session, params), session.encoding);
}

Json on_inlay_hints(Session& session, const Json& params) {
  const auto within = params.get<RangeParams>();
  return inlay_hints(document_in(session, params), within.range, session.encoding);
}

Json on_definition(Session& session, const Json& params) {
  const auto at = params.get<TextDocumentPositionParams>();
  const std::optional<Location> found =
      definition(document_in(session, params), at.position, session.encoding);
  return found ? Json(*found) : Json(nullptr);
}

Json on_rename(Session& session, const Json& params) {
  const auto asked = params.get<RenameParams>();
  std::string refusal;
  const std::optional<WorkspaceEdit> edit = rename(document_in(session, params), asked.position,
                                                   asked.new_name, session.encoding, refusal);
  if (!edit) throw RequestError{kRequestFailed, refusal};
  return *edit;
}

// A file left as it is gets a message that says why, and no edit.
Json on_formatting(Session& session, const Json& params) {
  std::string reason;
  Json edits = formatting(document_in(session, params), session.encoding, reason);
  if (!reason.empty()) {
    session.notifications.push_back(notification(
        "window/showMessage", {{"type", 2}, {"message", "kvrview: not formatted: " + reason}}));
  }
  return edits;
}

Json on_code_actions(Session& session, const Json& params) {
  const auto within = params.get<RangeParams>();
  return code_actions(document_in(session, params), within.range, session.encoding);
}

struct Method {
  std::string_view name;
  bool request;
  Json (*run)(Session&, const Json&);
};

constexpr Method kMethods[] = {
    {"initialize", true, initialize},
    {"initialized", false, ignored},
    {"shutdown", true, shutdown},
    {"textDocument/didOpen", false, did_open},
    {"textDocument/didChange", false, did_change},
    {"textDocument/didSave", false, did_save},
    {"textDocument/didClose", false, did_close},
    {"textDocument/hover", true, on_hover},
    {"textDocument/completion", true, on_completion},
    {"textDocument/documentSymbol", true, on_document_symbols},
    {"textDocument/foldingRange", true, on_folding_ranges},
    {"textDocument/semanticTokens/full", true, on_semantic_tokens},
    {"textDocument/inlayHint", true, on_inlay_hints},
    {"textDocument/definition", true, on_definition},
    {"textDocument/rename", true, on_rename},
    {"textDocument/formatting", true, on_formatting},
    {"textDocument/codeAction", true, on_code_actions},
};

const Method* method_named(std::string_view name) {
  for (const Method& method : kMethods) {
    if (method.name == name) return &method;
  }
  return nullptr;
}

// Runs a known method; every failure becomes an error answer (or, for a notification, a line of
// the log).
std::optional<Json> run(Session& session, const Method& method, const Json& id, bool request,
                        const Json& params) {
  std::optional<RequestError> failed;
  try {
    Json result = method.run(session, params);
    if (request) return response(id, std::move(result));
    return std::nullopt;
  } catch (const RequestError& error) {
    failed = error;
  } catch (const Json::exception& error) {
    failed = RequestError{kInvalidParams, std::string("invalid parameters: ") + error.what()};
  } catch (const std::bad_alloc&) {
    failed = RequestError{kInternalError, "memory could not be obtained"};
  } catch (const std::exception& error) {
    failed = RequestError{kInternalError, error.what()};
  }
  if (request) return error_response(id, failed->code, failed->message);
  *session.log << "kvrview --lsp: " << method.name << ": " << failed->message << "\n";
  return std::nullopt;
}

// The answer to one message, if it has one.
std::optional<Json> answer(Session& session, const std::string& body) {
  Json message;
  try {
    message = Json::parse(body);
  } catch (const Json::exception& error) {  // a syntax error, or a number too large to hold
    return error_response(nullptr, kParseError, std::string("not JSON: ") + error.what());
  }
  if (!message.is_object()) return error_response(nullptr, kInvalidRequest, "not a JSON object");
  // The message's parts are looked at where they stand, never copied whole: a copy of a value
  // nested deeply enough would overflow the stack.
  const bool request = message.contains("id");
  if (request && !message["id"].is_number_integer() && !message["id"].is_string()) {
    return error_response(nullptr, kInvalidRequest, "an id must be a number or a string");
  }
  const Json id = request ? message["id"] : Json(nullptr);
  if (!message.contains("method")) return std::nullopt;  // a response: the server asks nothing
  if (!message["method"].is_string()) {
    return error_response(id, kInvalidRequest, "a method must be a string");
  }
  const std::string name = message["method"].get<std::string>();
  if (name == "exit") {
    session.exit_status = session.phase == Session::Phase::kShutDown ? 0 : 1;
    return std::nullopt;
  }
  const Method* method = method_named(name);
  const Json none = Json::object();
  const Json& params = message.contains("params") ? message["params"] : none;
  if (!request) {
    // $/ notifications, and any before initialize or after shutdown, are passed over.
    if (method == nullptr || session.phase != Session::Phase::kRunning) return std::nullopt;
    return run(session, *method, id, false, params);
  }
  if (session.phase == Session::Phase::kWaiting && name != "initialize") {
    return error_response(id, kServerNotInitialized, "the server is not initialized yet");
  }
  if (session.phase == Session::Phase::kShutDown) {
    return error_response(id, kInvalidRequest, "the server is shut down");
  }
  if (method == nullptr || !method->request) {
    return error_response(id, kMethodNotFound, "no method " + name);
  }
  return run(session, *method, id, true, params);
}

bool send(std::ostream& out, const Json& message) {
  return write_frame(out, message.dump(-1, ' ', false, Json::error_handler_t::replace));
}

}  // namespace

int serve_language(std::istream& in, std::ostream& out, std::ostream& log) {
  Session session;
  session.log = &log;
  std::string body;
  for (;;) {
    const FrameStatus frame = read_frame(in, body);
    if (frame == FrameStatus::kEnd) return 1;
    if (frame == FrameStatus::kBadHeader) {
      log << "kvrview --lsp: a message without a Content-Length header was passed over\n";
      continue;
    }
    if (frame == FrameStatus::kTooLarge) {
      log << "kvrview --lsp: a message too large for memory was passed over\n";
      continue;
    }
    try {
      const std::optional<Json> reply = answer(session, body);
      if (reply && !send(out, *reply)) return 1;
      for (const Json& note : session.notifications) {
        if (!send(out, note)) return 1;
      }
    } catch (const std::bad_alloc&) {
      log << "kvrview --lsp: memory could not be obtained for an answer\n";
    } catch (const std::exception& error) {
      log << "kvrview --lsp: a message could not be answered: " << error.what() << "\n";
    }
    session.notifications.clear();
    if (session.exit_status) return *session.exit_status;
  }
}

int serve_language_on_standard_streams() {
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  return serve_language(std::cin, std::cout, std::cerr);
}

}  // namespace kvr::lsp

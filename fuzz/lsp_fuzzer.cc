// The language server's message stream: the input as the raw bytes after a framed initialize,
// and the input as the text of an opened document that hover, completion, formatting, code
// actions and symbols are asked about, at a place its first bytes choose. The server ends with
// status 0 or 1 and everything it writes is framed JSON.
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "lsp/language_server.h"
#include "support/harness.h"

namespace {

using Json = nlohmann::json;

std::string frame(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string message(int id, const char* method, const Json& params) {
  Json m = {{"jsonrpc", "2.0"}, {"method", method}, {"params", params}};
  if (id > 0) m["id"] = id;
  return frame(m.dump(-1, ' ', false, Json::error_handler_t::replace));
}

void serve(const std::string& input) {
  std::istringstream in(input);
  std::ostringstream out, log;
  const int status = kvr::lsp::serve_language(in, out, log);
  KVR_REQUIRE(status == 0 || status == 1);
  const std::string written = out.str();
  for (std::size_t at = 0; at < written.size();) {
    KVR_REQUIRE(written.compare(at, 16, "Content-Length: ") == 0);
    const std::size_t body = written.find("\r\n\r\n", at);
    KVR_REQUIRE(body != std::string::npos);
    const std::size_t length = std::stoul(written.substr(at + 16, body - at - 16));
    KVR_REQUIRE(body + 4 + length <= written.size());
    KVR_REQUIRE(Json::accept(written.substr(body + 4, length)));
    at = body + 4 + length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string initialize = message(1, "initialize", {{"capabilities", Json::object()}});
  serve(initialize + bytes);

  const int line = size > 0 ? data[0] % 8 : 0, character = size > 1 ? data[1] % 40 : 0;
  const Json document = {{"uri", "file:///b.cfg"}};
  const Json place = {{"textDocument", document},
                      {"position", {{"line", line}, {"character", character}}}};
  const Json range = {{"start", {{"line", 0}, {"character", 0}}},
                      {"end", {{"line", line}, {"character", character}}}};
  std::string session = initialize;
  session += message(
      0, "textDocument/didOpen",
      {{"textDocument",
        {{"uri", "file:///b.cfg"}, {"languageId", "board"}, {"version", 1}, {"text", bytes}}}});
  for (const char* method : {"textDocument/hover", "textDocument/completion",
                             "textDocument/definition", "textDocument/rename"}) {
    Json params = place;
    params["newName"] = "renamed";
    session += message(2, method, params);
  }
  session += message(3, "textDocument/formatting", {{"textDocument", document}});
  session += message(4, "textDocument/documentSymbol", {{"textDocument", document}});
  session += message(5, "textDocument/codeAction",
                     {{"textDocument", document}, {"range", range}, {"context", Json::object()}});
  session += message(6, "textDocument/inlayHint", {{"textDocument", document}, {"range", range}});
  session += message(7, "textDocument/semanticTokens/full", {{"textDocument", document}});
  session += message(8, "shutdown", nullptr) + message(0, "exit", nullptr);
  serve(session);
  return 0;
}

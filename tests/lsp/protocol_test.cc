// kvrview --lsp as a raw client sees it: framed messages into the server's stream entry point, and
// what comes back, message by message, with the exit status. The server never dies: malformed
// JSON, unknown methods, requests out of turn, positions past the text and NUL bytes are each
// answered, and it goes on serving.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "lsp/language_server.h"

namespace kvr {
namespace {

using Json = nlohmann::json;

std::string frame(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string request(int id, const std::string& method, const Json& params = Json::object()) {
  return Json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}.dump();
}

std::string notification(const std::string& method, const Json& params) {
  return Json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}}.dump();
}

const std::string kUri = "file:///b.cfg";

std::string initialize(const Json& capabilities = Json::object()) {
  return request(1, "initialize", {{"capabilities", capabilities}});
}

std::string open(const std::string& text) {
  return notification(
      "textDocument/didOpen",
      {{"textDocument", {{"uri", kUri}, {"languageId", "board"}, {"version", 1}, {"text", text}}}});
}

std::string at(int id, const std::string& method, int line, int character) {
  return request(id, method,
                 {{"textDocument", {{"uri", kUri}}},
                  {"position", {{"line", line}, {"character", character}}}});
}

const std::string kShutdown = request(90, "shutdown");
const std::string kExit = notification("exit", nullptr);

// Each message the server wrote, in a few words: "1 ok", "2 -32601", "- -32700", "3 hover
// 0:4-0:7", "diagnostics -383@0:24".
std::string transcript(const std::string& out) {
  std::string said;
  for (std::size_t at = 0; (at = out.find("Content-Length: ", at)) != std::string::npos;) {
    const std::size_t length = std::stoul(out.substr(at + 16));
    const std::size_t body = out.find("\r\n\r\n", at) + 4;
    const Json message = Json::parse(out.substr(body, length));
    at = body + length;
    if (!said.empty()) said += ", ";
    if (message.contains("method")) {
      said += "diagnostics";
      for (const Json& d : message["params"]["diagnostics"]) {
        const Json& start = d["range"]["start"];
        said +=
            " " + d["code"].dump() + "@" + start["line"].dump() + ":" + start["character"].dump();
        if (d["code"].is_string() && d["severity"] == 1) said += " error";
      }
      continue;
    }
    said += message["id"].is_null() ? "-" : message["id"].dump();
    if (message.contains("error")) {
      said += " " + message["error"]["code"].dump();
    } else if (message["result"].is_object() && message["result"].contains("contents")) {
      const Json& range = message["result"]["range"];
      said += " hover " + range["start"]["line"].dump() + ":" + range["start"]["character"].dump() +
              "-" + range["end"]["line"].dump() + ":" + range["end"]["character"].dump();
    } else if (message["result"].is_array()) {
      said += " " + std::to_string(message["result"].size()) + " items";
    } else {
      said += " ok";
    }
  }
  return said;
}

// A didChange of version 2 whose edits each replace [from, to) (line, character) by a text.
std::string change(const std::vector<std::tuple<int, int, int, int, std::string>>& edits) {
  Json changes = Json::array();
  for (const auto& [line, character, end_line, end_character, text] : edits) {
    changes.push_back({{"range",
                        {{"start", {{"line", line}, {"character", character}}},
                         {"end", {{"line", end_line}, {"character", end_character}}}}},
                       {"text", text}});
  }
  return notification("textDocument/didChange", {{"textDocument", {{"uri", kUri}, {"version", 2}}},
                                                 {"contentChanges", changes}});
}

struct ProtocolRow {
  const char* what;
  std::vector<std::string> bodies;  // each framed, unless it begins with "RAW:"
  int exit_status;
  std::string transcript;
};

TEST(ProtocolTest, EveryMessageIsAnsweredAndTheServerGoesOn) {
  const std::string line = "\"a\" DBM \"b\xCE\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E\" DBM \"c\" BYPASS8";
  const std::string with_nul("\"a\" DBM\n\"b\0\" DBM\n", 17);
  std::string omegas;  // of 2 UTF-8 bytes, 1 UTF-16 code unit each
  for (int i = 0; i < 2500; ++i) omegas += "\xCE\xA9";
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const std::vector<ProtocolRow> rows = {
      {"shutdown then exit ends the session with status 0",
       {initialize(), kShutdown, kExit},
       0,
       "1 ok, 90 ok"},
      {"the end of the input ends it with status 1", {initialize()}, 1, "1 ok"},
      {"exit without shutdown ends it with status 1", {initialize(), kExit}, 1, "1 ok"},
      {"a request before initialize is refused -32002, and initialize still works",
       {request(2, "textDocument/hover"), initialize(), kShutdown, kExit},
       0,
       "2 -32002, 1 ok, 90 ok"},
      {"malformed JSON is answered -32700 with no id, and the next request is answered",
       {initialize(), "{\"jsonrpc\":\"2.0\",\"id\":2,\"method\":", request(3, "shutdown"), kExit},
       0,
       "1 ok, - -32700, 3 ok"},
      {"a number too large for a double is malformed JSON too, and the server goes on",
       {initialize(), R"({"jsonrpc":"2.0","method":"initialized","params":{"x":1e400}})", kShutdown,
        kExit},
       0,
       "1 ok, - -32700, 90 ok"},
      {"values nested 100,000 deep are looked at where they stand, never copied",
       {R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":)" + deep +
            R"(,"initializationOptions":{"warnings":)" + deep + "}}}",
        R"({"jsonrpc":"2.0","id":2,"method":"textDocument/hover","params":)" + deep + "}",
        R"({"jsonrpc":"2.0","id":3,"method":"x","params":)" + deep + "}", kShutdown, kExit},
       0,
       "1 ok, 2 -32602, 3 -32601, 90 ok"},
      {"edits of several cursors, listed from the end of the text or from its start",
       {initialize(), open("\"a\" DBM\n\"b\" DBM\n"),
        change({{1, 4, 1, 7, "QQQ"}, {0, 0, 0, 0, "\"c\" DBM\n"}}),
        change({{0, 0, 0, 0, "\"d\" DBM\n"}, {3, 4, 3, 7, "DBM"}}), kShutdown, kExit},
       0,
       "1 ok, diagnostics, diagnostics -383@2:4, diagnostics, 90 ok"},
      {"the -W words of the initialization options are those of --check, in any order",
       {request(
            1, "initialize",
            {{"capabilities", Json::object()},
             {"initializationOptions",
              {{"warnings", {"-Wno-error=label", "-Werror", "-Wno-unknown-variable", "-Wnope"}}}}}),
        open(" ;CFG-2.0\n[X] 1\n\"a\" QV740K88\n"), kShutdown, kExit},
       0,
       "1 ok, diagnostics \"label\"@0:1 \"class-id-prefix\"@2:4 error, 90 ok"},
      {"an unknown method is answered -32601",
       {initialize(), request(2, "textDocument/noSuchThing"), kShutdown, kExit},
       0,
       "1 ok, 2 -32601, 90 ok"},
      {"a header without Content-Length is passed over",
       {initialize(), "RAW:Content-Type: x\r\n\r\n", kShutdown, kExit},
       0,
       "1 ok, 90 ok"},
      {"another header of Content-Length's size is no length",
       {initialize(),
        "RAW:Content-Length: " + std::to_string(kShutdown.size()) +
            "\r\nX-Other-Header: 99\r\n\r\n" + kShutdown,
        kExit},
       0,
       "1 ok, 90 ok"},
      {"a request after shutdown is refused -32600",
       {initialize(), kShutdown, request(2, "textDocument/hover"), kExit},
       0,
       "1 ok, 90 ok, 2 -32600"},
      {"positions past the line, past the text, a range past both, the first token's end",
       {initialize(), open("\"a\" DBM\n"), at(2, "textDocument/hover", 0, 99999),
        at(3, "textDocument/hover", 999, 0), at(4, "textDocument/completion", 999, 999),
        request(5, "textDocument/codeAction",
                {{"textDocument", {{"uri", kUri}}},
                 {"range",
                  {{"start", {{"line", 5}, {"character", 0}}},
                   {"end", {{"line", 99999}, {"character", 99999}}}}},
                 {"context", {{"diagnostics", Json::array()}}}}),
        at(6, "textDocument/hover", 0, 3), kShutdown, kExit},
       0,
       "1 ok, diagnostics, 2 hover 0:4-0:7, 3 ok, 4 0 items, 5 0 items, 6 hover 0:0-0:3, 90 ok"},
      {"a NUL byte in a name is the error kvrbuild gives it, and the board before it is served",
       {initialize(), open(with_nul), at(2, "textDocument/hover", 0, 5), kShutdown, kExit},
       0,
       "1 ok, diagnostics -373@1:2, 2 hover 0:4-0:7, 90 ok"},
      {"a path length's values: its totals with each sub-path that changes them, and 0",
       {initialize(),
        open(";CFG-2.0\n[VORTA_SIZE_IRPATH] 1\n\"a\" DBM\n"
             "\"l\" SPL {\"b\" BYPASS004 }{}{\"c\" DBM \"d\" DBM }{}\n"),
        at(2, "textDocument/completion", 1, 21), kShutdown, kExit},
       0,
       "1 ok, diagnostics \"path-size\"@1:20, 2 4 items, 90 ok"},
      {"a client line ends at CR LF and at a lone CR, where kvrbuild's ends at LF alone",
       {initialize(), open(";CFG-2.0\r\n\"a\" DBM\r\"b\" QQQ\n"), kShutdown, kExit},
       0,
       "1 ok, diagnostics \"cr-line-ends\"@1:7 -381@2:4, 90 ok"},
      {"a place past a CR LF line's end stands before its CR",
       {initialize(), open(";CFG-2.0\r\n\"a\" DBM\r\n"), change({{1, 99, 1, 99, " \"b\" QQQ"}}),
        kShutdown, kExit},
       0,
       "1 ok, diagnostics, diagnostics -381@1:12, 90 ok"},
      {"positions count UTF-16 code units by default: 2 for a character of 4 UTF-8 bytes",
       {initialize(), open(";CFG-2.0\n" + line + "\n"), at(2, "textDocument/hover", 1, 25),
        kShutdown, kExit},
       0,
       "1 ok, diagnostics -373@1:10 -383@1:24, 2 hover 1:24-1:31, 90 ok"},
      {"a place on a line of thousands of characters is counted as one near its start is",
       {initialize(), open(";CFG-2.0\n;" + omegas + "\n"), change({{1, 2060, 1, 2061, "ab"}}),
        kShutdown, kExit},
       0,
       "1 ok, diagnostics -356@1:2068, diagnostics -356@1:2069, 90 ok"},
      {"and bytes when the client offers UTF-8",
       {initialize({{"general", {{"positionEncodings", {"utf-8", "utf-16"}}}}}),
        open(";CFG-2.0\n" + line + "\n"), at(2, "textDocument/hover", 1, 30), kShutdown, kExit},
       0,
       "1 ok, diagnostics -373@1:10 -383@1:29, 2 hover 1:29-1:36, 90 ok"},
  };
  for (const ProtocolRow& row : rows) {
    std::string input;
    for (const std::string& body : row.bodies) {
      input += body.rfind("RAW:", 0) == 0 ? body.substr(4) : frame(body);
    }
    std::istringstream in(input);
    std::ostringstream out, log;
    EXPECT_EQ(lsp::serve_language(in, out, log), row.exit_status) << row.what;
    EXPECT_EQ(transcript(out.str()), row.transcript) << row.what << "\n" << log.str();
  }
}

}  // namespace
}  // namespace kvr

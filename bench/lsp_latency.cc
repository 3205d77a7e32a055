// Times `kvrview --lsp' from a change to its published diagnostics, side by side with
// `kvrview --check' of the same text: "lsp_latency RUNS KVRVIEW FILE". The server is started once
// and opens FILE; then, RUNS times, a `kvrview --check FILE' runs (its output to /dev/null) and
// the server is sent one edit, as an editor sends a keystroke (a blank put before the second line,
// then taken away again), and the clock runs until the whole publishDiagnostics of that version
// has been read. Prints the medians in milliseconds, "change-ms check-ms ratio diagnostics-bytes",
// the ratio being the median of the pairs' ratios.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Json = nlohmann::json;
using Clock = std::chrono::steady_clock;

struct Server {
  pid_t pid = -1;
  int to = -1, from = -1;
  std::string pending;  // bytes read past the last message
};

bool start(Server& server, const char* kvrview) {
  int in[2], out[2];
  if (pipe(in) != 0 || pipe(out) != 0) return false;
  server.pid = fork();
  if (server.pid < 0) return false;
  if (server.pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    close(in[1]);
    close(out[0]);
    execl(kvrview, kvrview, "--lsp", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  server.to = in[1];
  server.from = out[0];
  return true;
}

bool send(Server& server, const Json& message) {
  const std::string body = message.dump();
  const std::string frame = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  for (std::size_t sent = 0; sent < frame.size();) {
    const ssize_t n = write(server.to, frame.data() + sent, frame.size() - sent);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

// The next message's body; empty when the server has gone.
std::string receive(Server& server) {
  char block[1 << 16];
  for (;;) {
    const std::size_t header_end = server.pending.find("\r\n\r\n");
    if (header_end != std::string::npos) {
      const std::size_t length =
          std::strtoul(server.pending.c_str() + server.pending.find(':') + 1, nullptr, 10);
      if (server.pending.size() >= header_end + 4 + length) {
        std::string body = server.pending.substr(header_end + 4, length);
        server.pending.erase(0, header_end + 4 + length);
        return body;
      }
    }
    const ssize_t n = read(server.from, block, sizeof block);
    if (n <= 0) return {};
    server.pending.append(block, static_cast<std::size_t>(n));
  }
}

// Reads messages up to the diagnostics of `version' (their keys are sorted: the version ends the
// params); returns their size, or 0 when the server has gone.
std::size_t diagnostics_of(Server& server, int version) {
  const std::string mark = "\"version\":" + std::to_string(version) + "}";
  for (;;) {
    const std::string body = receive(server);
    if (body.empty()) return 0;
    const std::string_view kind =
        "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/publishDiagnostics\"";
    if (body.compare(0, kind.size(), kind) != 0) continue;
    if (body.size() > mark.size() + 1 &&
        body.compare(body.size() - mark.size() - 1, mark.size(), mark) == 0) {
      return body.size();
    }
  }
}

double check_run(const char* kvrview, const char* file) {
  const Clock::time_point begin = Clock::now();
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execl(kvrview, kvrview, "--check", file, static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) > 1) {
    return -1;
  }
  return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

Json position(int line, int character) {
  return {{"line", line}, {"character", character}};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: lsp_latency RUNS KVRVIEW FILE\n");
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  std::ifstream in(argv[3], std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string uri = "file:///bench/board.cfg";
  Server server;
  if (!start(server, argv[2]) ||
      !send(server, {{"jsonrpc", "2.0"},
                     {"id", 1},
                     {"method", "initialize"},
                     {"params", {{"capabilities", Json::object()}}}}) ||
      receive(server).empty() ||
      !send(server,
            {{"jsonrpc", "2.0"},
             {"method", "textDocument/didOpen"},
             {"params",
              {{"textDocument",
                {{"uri", uri}, {"languageId", "board"}, {"version", 1}, {"text", text}}}}}}) ||
      diagnostics_of(server, 1) == 0) {
    std::fprintf(stderr, "lsp_latency: %s --lsp did not open %s\n", argv[2], argv[3]);
    return 2;
  }
  std::vector<double> changes, checks, ratios;
  std::size_t bytes = 0;
  for (int run = 0; run < runs; ++run) {
    const double check = check_run(argv[2], argv[3]);
    const int version = run + 2;
    const bool put = run % 2 == 0;
    const Json change = {{"range", {{"start", position(1, 0)}, {"end", position(1, put ? 0 : 1)}}},
                         {"text", put ? " " : ""}};
    const Json message = {{"jsonrpc", "2.0"},
                          {"method", "textDocument/didChange"},
                          {"params",
                           {{"textDocument", {{"uri", uri}, {"version", version}}},
                            {"contentChanges", Json::array({change})}}}};
    const Clock::time_point begin = Clock::now();
    if (!send(server, message) || (bytes = diagnostics_of(server, version)) == 0 || check < 0) {
      std::fprintf(stderr, "lsp_latency: %s stopped\n", argv[2]);
      return 2;
    }
    changes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
    checks.push_back(check);
    ratios.push_back(changes.back() / check);
  }
  close(server.to);
  waitpid(server.pid, nullptr, 0);
  std::printf("%.2f %.2f %.3f %zu\n", median(changes), median(checks), median(ratios), bytes);
  return 0;
}

#include "jtag/bitbang_server.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "jtag/bitbang_protocol.h"

namespace kvr {
namespace {

bool stopped(const ServeSettings& settings) {
  return settings.stop != nullptr && *settings.stop != 0;
}

void report_unknown_byte(char byte, std::FILE* err) {
  std::fprintf(err,
               "kvrview: the client sent the byte 0x%02X, which the remote_bitbang protocol does "
               "not know; its connection is closed\n",
               static_cast<unsigned>(static_cast<unsigned char>(byte)));
}

// Writes `text` on `out` and flushes it; false with the reason on `err` when it cannot.
bool write_out(std::string_view text, const char* what, std::FILE* out, std::FILE* err) {
  errno = 0;
  const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  if (std::fflush(out) == 0 && written) return true;
  const int error = errno;
  std::fprintf(err, "kvrview: cannot write %s to standard output: %s\n", what,
               error != 0 ? std::strerror(error) : "the stream failed");
  return false;
}

// Sends all of `bytes`, waiting for room no longer than the stop flag allows; false when the
// client has gone or the flag is raised.
bool send_answers(Network& network, SocketId client, std::string_view bytes,
                  const ServeSettings& settings) {
  while (!bytes.empty()) {
    if (stopped(settings)) return false;
    const int ready = network.wait_writable(client, settings.poll_ms);
    if (ready < 0) return false;
    if (ready == 0) continue;
    const long sent = network.send_some(client, bytes);
    if (sent < 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

// Acts on one packet of the client's bytes, writing the log out as it grows, until the packet
// ends, a byte stops the session or the stop flag is raised; false when the log cannot be written.
bool act_on(SimulatedPath& path, BitbangPins& pins, std::string_view bytes, std::string& answers,
            BitbangStop& stop, const ServeSettings& settings, std::FILE* out, std::FILE* err) {
  do {
    stop = feed_bitbang(pins, path, bytes, answers, settings.log_buffer);
    bytes.remove_prefix(stop.used);
    if (!path.log.empty()) {
      if (!write_out(path.log, "the log", out, err)) return false;
      path.log.clear();
    }
  } while (stop.reason == BitbangStop::Reason::kLogFull && !stopped(settings));
  return true;
}

enum class Session { kGone, kQuit, kFailed };

// One client's session, until it goes, errs or quits.
Session serve_client(Network& network, SocketId client, SimulatedPath& path,
                     const ServeSettings& settings, std::FILE* out, std::FILE* err) {
  BitbangPins pins;
  char buffer[1 << 14];
  std::string answers;
  while (!stopped(settings)) {
    const int ready = network.wait_readable(client, settings.poll_ms);
    if (ready < 0) return Session::kGone;
    if (ready == 0) continue;
    const long got = network.receive(client, buffer, sizeof buffer);
    if (got <= 0) return Session::kGone;
    answers.clear();
    BitbangStop stop;
    const std::string_view bytes(buffer, static_cast<std::size_t>(got));
    if (!act_on(path, pins, bytes, answers, stop, settings, out, err)) return Session::kFailed;
    if (stopped(settings) || !send_answers(network, client, answers, settings)) {
      return Session::kGone;
    }
    if (stop.reason == BitbangStop::Reason::kQuit) return Session::kQuit;
    if (stop.reason == BitbangStop::Reason::kUnknownByte) {
      report_unknown_byte(stop.byte, err);
      return Session::kGone;
    }
  }
  return Session::kGone;
}

bool serve(Network& network, SimulatedPath& path, const ServeSettings& settings, std::FILE* out,
           std::FILE* err) {
  std::uint16_t port = 0;
  std::string problem;
  const SocketId listener = network.listen_local(settings.port, port, problem);
  if (listener == kNoSocket) {
    std::fprintf(err, "kvrview: cannot listen on 127.0.0.1 port %u: %s\n",
                 static_cast<unsigned>(settings.port), problem.c_str());
    return false;
  }
  bool served = write_out(std::to_string(port) + "\n", "the port", out, err);
  Session session = Session::kGone;
  while (served && session != Session::kQuit && !stopped(settings)) {
    const int ready = network.wait_readable(listener, settings.poll_ms);
    if (ready < 0) {
      std::fputs("kvrview: the listening socket failed\n", err);
      served = false;
      break;
    }
    if (ready == 0) continue;
    const SocketId client = network.accept_client(listener, problem);
    if (client == kNoSocket && !problem.empty()) {
      std::fprintf(err, "kvrview: cannot accept a client: %s\n", problem.c_str());
      served = false;
      break;
    }
    if (client == kNoSocket) continue;
    session = serve_client(network, client, path, settings, out, err);
    network.close_socket(client);
    served = session != Session::kFailed;
  }
  network.close_socket(listener);
  return served;
}

}  // namespace

Outcome serve_bitbang(Network& network, SimulatedPath& path, const ServeSettings& settings,
                      std::FILE* out, std::FILE* err) {
  return outcome_of([&] { return serve(network, path, settings, out, err); });
}

Outcome serve_devices(std::vector<SimulatedDevice> devices, bool log_updates,
                      const ServeSettings& settings, std::FILE* out, std::FILE* err) {
  return outcome_of([&] {
    std::string problem;
    if (!keep_standard_streams(problem)) {
      std::fprintf(err, "kvrview: %s\n", problem.c_str());
      return false;
    }
    SimulatedPath path = simulated_path(std::move(devices), log_updates);
    return serve(*system_network(), path, settings, out, err);
  });
}

}  // namespace kvr

#include "jtag/bitbang_server.h"

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

// One client's session, until it goes, errs or quits; true when it sent 'Q'.
bool serve_client(Network& network, SocketId client, SimulatedPath& path,
                  const ServeSettings& settings, std::FILE* out, std::FILE* err) {
  BitbangPins pins;
  char buffer[1 << 14];
  std::string answers;
  while (!stopped(settings)) {
    const int ready = network.wait_readable(client, settings.poll_ms);
    if (ready < 0) return false;
    if (ready == 0) continue;
    const long got = network.receive(client, buffer, sizeof buffer);
    if (got <= 0) return false;
    answers.clear();
    const BitbangStop stop =
        feed_bitbang(pins, path, std::string_view(buffer, static_cast<std::size_t>(got)), answers);
    if (!path.log.empty()) {
      std::fputs(path.log.c_str(), out);
      std::fflush(out);
      path.log.clear();
    }
    if (!network.send_all(client, answers)) return false;
    if (stop.reason == BitbangStop::Reason::kQuit) return true;
    if (stop.reason == BitbangStop::Reason::kUnknownByte) {
      report_unknown_byte(stop.byte, err);
      return false;
    }
  }
  return false;
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
  std::fprintf(out, "%u\n", static_cast<unsigned>(port));
  std::fflush(out);
  bool quit = false;
  bool served = true;
  while (!quit && !stopped(settings)) {
    const int ready = network.wait_readable(listener, settings.poll_ms);
    if (ready < 0) {
      std::fputs("kvrview: the listening socket failed\n", err);
      served = false;
      break;
    }
    if (ready == 0) continue;
    const SocketId client = network.accept_client(listener);
    if (client == kNoSocket) continue;
    quit = serve_client(network, client, path, settings, out, err);
    network.close_socket(client);
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
    SimulatedPath path = simulated_path(std::move(devices), log_updates);
    return serve(*system_network(), path, settings, out, err);
  });
}

}  // namespace kvr

// The simulated board as a remote_bitbang server: it listens on the loopback address only, serves
// one client at a time (others wait in the listening queue), and runs until a client sends 'Q' or
// the stop flag is raised. A client that closes its connection, even in the middle of a scan, or
// that sends a byte the protocol does not know, leaves the server waiting for the next one; the
// board keeps its state from one client to the next, as a real board does when a probe is
// unplugged.
//
// Whatever a client does, the server looks at its stop flag at least every `poll_ms`: it waits
// for bytes and for room to send them with that timeout and never in a blocking call, so a client
// that sends without reading its answers holds it no longer than one of those waits. The log of a
// client's bytes is written out whenever it reaches `log_buffer` bytes, so what the server holds
// stays bounded however much one packet makes it log. A client the system refuses to accept (too
// many open files) ends the server with a failure rather than a loop that spins.
#ifndef KVR_JTAG_BITBANG_SERVER_H_
#define KVR_JTAG_BITBANG_SERVER_H_

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/outcome.h"
#include "jtag/network.h"
#include "jtag/simulated_path.h"

namespace kvr {

struct ServeSettings {
  std::uint16_t port = 0;  // 0: a free port
  // Raised by a signal handler to end the server; it is looked at least every `poll_ms`.
  const volatile std::sig_atomic_t* stop = nullptr;
  int poll_ms = 200;
  std::size_t log_buffer = std::size_t{1} << 16;
};

// Serves `path`. The port it listens on is the first line on `out`, then, with the path's log on,
// its lines as they come; an unknown byte and a failure are reported on `err`. Done after a 'Q' or
// the stop flag; failed when it could not listen, could not write the port or the log, or could
// not accept a client.
Outcome serve_bitbang(Network& network, SimulatedPath& path, const ServeSettings& settings,
                      std::FILE* out, std::FILE* err);

// Serves a path of `devices` (see simulated_path.h) through the system's sockets, once it has
// made sure that no socket can take the place of a standard stream.
Outcome serve_devices(std::vector<SimulatedDevice> devices, bool log_updates,
                      const ServeSettings& settings, std::FILE* out, std::FILE* err);

}  // namespace kvr

#endif  // KVR_JTAG_BITBANG_SERVER_H_

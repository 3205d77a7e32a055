// The sockets of the simulated board, behind an interface of our own: the server needs only a
// listening socket on the loopback address, one client at a time, waits that a signal cuts short
// and sends that never wait, so that it looks at its stop flag however a client behaves. The POSIX
// implementation is in posix_network.cc, Winsock's in winsock_network.cc; the tests put sockets of
// their own in its place.
#ifndef KVR_JTAG_NETWORK_H_
#define KVR_JTAG_NETWORK_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kvr {

using SocketId = std::intptr_t;
inline constexpr SocketId kNoSocket = -1;

class Network {
 public:
  virtual ~Network() = default;
  // Listens on 127.0.0.1 at `port`, or at a free port the system picks for 0; `bound` receives
  // the port. On failure returns kNoSocket with the reason in `problem`.
  virtual SocketId listen_local(std::uint16_t port, std::uint16_t& bound, std::string& problem) = 0;
  // Waits until `socket` has something to read (a client to accept, bytes, or its peer's end), at
  // most `milliseconds`; a signal ends the wait early. Returns 1 when ready, 0 when not, -1 when
  // the socket failed.
  virtual int wait_readable(SocketId socket, int milliseconds) = 0;
  // The same for room to send.
  virtual int wait_writable(SocketId socket, int milliseconds) = 0;
  // The client waiting on `listener`, without waiting for one. kNoSocket with `problem` empty when
  // there is none after all (it went away before it was accepted): the caller waits again;
  // kNoSocket with the reason in `problem` when the system refuses (too many open files), which
  // waiting would not mend.
  virtual SocketId accept_client(SocketId listener, std::string& problem) = 0;
  // A connection to 127.0.0.1 at `port`, for a client; kNoSocket on failure.
  virtual SocketId connect_local(std::uint16_t port) = 0;
  // The number of bytes received, 0 when the peer has closed the connection, -1 on failure.
  virtual long receive(SocketId socket, char* buffer, std::size_t capacity) = 0;
  // Sends what the socket takes at once, without waiting: the number of bytes sent (0 when it
  // has no room), or -1 when the connection failed or the peer has gone.
  virtual long send_some(SocketId socket, std::string_view bytes) = 0;
  // Sends all of `bytes`, waiting as long as it takes: for clients.
  virtual bool send_all(SocketId socket, std::string_view bytes) = 0;
  virtual void close_socket(SocketId socket) = 0;
};

// The system's sockets.
std::unique_ptr<Network> system_network();

// Makes sure no socket can take the place of standard input, output or error, where a message
// would then go to a client: a closed standard input or error is opened on the null device, and a
// closed standard output, where the server prints its port, is a failure with the reason in
// `problem`. On Windows, whose sockets are no file descriptors, there is nothing to do.
bool keep_standard_streams(std::string& problem);

}  // namespace kvr

#endif  // KVR_JTAG_NETWORK_H_

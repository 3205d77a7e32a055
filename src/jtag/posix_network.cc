// The POSIX sockets behind the Network interface.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "jtag/network.h"

namespace kvr {
namespace {

class PosixNetwork final : public Network {
 public:
  SocketId listen_local(std::uint16_t port, std::uint16_t& bound, std::string& problem) override {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listener < 0) return failed("socket", listener, problem);
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address = loopback(port);
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      return failed("bind", listener, problem);
    }
    if (::listen(listener, SOMAXCONN) != 0) return failed("listen", listener, problem);
    socklen_t length = sizeof address;
    if (::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      return failed("getsockname", listener, problem);
    }
    bound = ntohs(address.sin_port);
    return listener;
  }

  int wait_readable(SocketId socket, int milliseconds) override {
    pollfd entry{static_cast<int>(socket), POLLIN, 0};
    const int ready = ::poll(&entry, 1, milliseconds);
    if (ready < 0) return errno == EINTR ? 0 : -1;
    return ready;
  }

  SocketId accept_client(SocketId listener) override {
    const int client = ::accept(static_cast<int>(listener), nullptr, nullptr);
    return client < 0 ? kNoSocket : client;
  }

  SocketId connect_local(std::uint16_t port) override {
    const int client = ::socket(AF_INET, SOCK_STREAM, 0);
    if (client < 0) return kNoSocket;
    const sockaddr_in address = loopback(port);
    if (::connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      ::close(client);
      return kNoSocket;
    }
    return client;
  }

  long receive(SocketId socket, char* buffer, std::size_t capacity) override {
    ssize_t got = 0;
    do {
      got = ::recv(static_cast<int>(socket), buffer, capacity, 0);
    } while (got < 0 && errno == EINTR);
    return static_cast<long>(got);
  }

  // MSG_NOSIGNAL: a client that has gone makes the send fail instead of raising SIGPIPE.
  bool send_all(SocketId socket, std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t sent =
          ::send(static_cast<int>(socket), bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent < 0 && errno == EINTR) continue;
      if (sent <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
  }

  void close_socket(SocketId socket) override { ::close(static_cast<int>(socket)); }

 private:
  static sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
  }
  static SocketId failed(const char* call, int socket, std::string& problem) {
    problem = std::string(call) + ": " + std::strerror(errno);
    if (socket >= 0) ::close(socket);
    return kNoSocket;
  }
};

}  // namespace

std::unique_ptr<Network> system_network() {
  return std::make_unique<PosixNetwork>();
}

}  // namespace kvr

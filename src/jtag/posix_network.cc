// The POSIX sockets behind the Network interface.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "jtag/network.h"

namespace kvr {
namespace {

// The errors of accept() that belong to one client, which has gone, or to the moment; any other
// (too many open files, no memory for buffers) stays until the server ends.
bool passing_accept_error(int error) {
  switch (error) {
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EINTR:
    case ECONNABORTED:
    case EPROTO:
    case EPERM:
    case ENETDOWN:
    case ENETUNREACH:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENOPROTOOPT:
    case EOPNOTSUPP:
      return true;
    default:
      return false;
  }
}

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
    // A client that goes between the wait and the accept must not leave accept() waiting.
    const int flags = ::fcntl(listener, F_GETFL);
    if (flags < 0 || ::fcntl(listener, F_SETFL, flags | O_NONBLOCK) != 0) {
      return failed("fcntl", listener, problem);
    }
    bound = ntohs(address.sin_port);
    return listener;
  }

  int wait_readable(SocketId socket, int milliseconds) override {
    return wait_for(socket, POLLIN, milliseconds);
  }

  int wait_writable(SocketId socket, int milliseconds) override {
    return wait_for(socket, POLLOUT, milliseconds);
  }

  SocketId accept_client(SocketId listener, std::string& problem) override {
    const int client = ::accept(static_cast<int>(listener), nullptr, nullptr);
    if (client < 0) {
      if (!passing_accept_error(errno)) problem = std::string("accept: ") + std::strerror(errno);
      return kNoSocket;
    }
    // Some systems give the client the listener's O_NONBLOCK; its receives wait after a poll.
    const int flags = ::fcntl(client, F_GETFL);
    if (flags >= 0) ::fcntl(client, F_SETFL, flags & ~O_NONBLOCK);
    return client;
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
  long send_some(SocketId socket, std::string_view bytes) override {
    const ssize_t sent =
        ::send(static_cast<int>(socket), bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent >= 0) return static_cast<long>(sent);
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
  }

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
  static int wait_for(SocketId socket, short events, int milliseconds) {
    pollfd entry{static_cast<int>(socket), events, 0};
    const int ready = ::poll(&entry, 1, milliseconds);
    if (ready < 0) return errno == EINTR ? 0 : -1;
    // An error or a hang-up counts as ready: the receive or send that follows tells which.
    return ready;
  }
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

bool is_closed(int fd) {
  return ::fcntl(fd, F_GETFD) == -1 && errno == EBADF;
}

}  // namespace

std::unique_ptr<Network> system_network() {
  return std::make_unique<PosixNetwork>();
}

bool keep_standard_streams(std::string& problem) {
  if (is_closed(STDOUT_FILENO)) {
    problem = "standard output is closed, so the port the server listens on cannot be printed";
    return false;
  }
  // open() takes the lowest free descriptor: the closed one, since those below it are open.
  for (const int fd : {STDIN_FILENO, STDERR_FILENO}) {
    if (!is_closed(fd)) continue;
    const int null = ::open("/dev/null", O_RDWR);
    if (null < 0) {
      problem = std::string("cannot open /dev/null in place of a closed standard stream: ") +
                std::strerror(errno);
      return false;
    }
  }
  return true;
}

}  // namespace kvr

// Winsock behind the Network interface, for the Windows build. select() rather than WSAPoll(), so
// that the program runs on every Windows the 32-bit build reaches. Winsock has no flag for a send
// that does not wait, so send_some makes the socket non-blocking for the one call.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>

#include "jtag/network.h"

namespace kvr {
namespace {

SOCKET handle(SocketId socket) {
  return static_cast<SOCKET>(socket);
}

bool set_blocking(SOCKET socket, bool blocking) {
  u_long non_blocking = blocking ? 0 : 1;
  return ::ioctlsocket(socket, FIONBIO, &non_blocking) == 0;
}

// The errors of accept() that belong to one client, which has gone, or to the moment; any other
// (too many open sockets, no buffer space) stays until the server ends.
bool passing_accept_error(int error) {
  return error == WSAEWOULDBLOCK || error == WSAECONNRESET || error == WSAEINTR ||
         error == WSAEINPROGRESS || error == WSAENETDOWN;
}

class WinsockNetwork final : public Network {
 public:
  WinsockNetwork() { started_ = WSAStartup(MAKEWORD(2, 2), &data_) == 0; }
  ~WinsockNetwork() override {
    if (started_) WSACleanup();
  }

  SocketId listen_local(std::uint16_t port, std::uint16_t& bound, std::string& problem) override {
    if (!started_) return failed("WSAStartup", INVALID_SOCKET, problem);
    const SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET) return failed("socket", listener, problem);
    sockaddr_in address = loopback(port);
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      return failed("bind", listener, problem);
    }
    if (::listen(listener, SOMAXCONN) != 0) return failed("listen", listener, problem);
    int length = sizeof address;
    if (::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      return failed("getsockname", listener, problem);
    }
    // A client that goes between the wait and the accept must not leave accept() waiting.
    if (!set_blocking(listener, false)) return failed("ioctlsocket", listener, problem);
    bound = ntohs(address.sin_port);
    return static_cast<SocketId>(listener);
  }

  int wait_readable(SocketId socket, int milliseconds) override {
    return wait_for(socket, true, milliseconds);
  }

  int wait_writable(SocketId socket, int milliseconds) override {
    return wait_for(socket, false, milliseconds);
  }

  SocketId accept_client(SocketId listener, std::string& problem) override {
    const SOCKET client = ::accept(handle(listener), nullptr, nullptr);
    if (client == INVALID_SOCKET) {
      const int error = WSAGetLastError();
      if (!passing_accept_error(error)) problem = "accept: Winsock error " + std::to_string(error);
      return kNoSocket;
    }
    // The client takes the listener's non-blocking mode; its receives wait after a select().
    set_blocking(client, true);
    return static_cast<SocketId>(client);
  }

  SocketId connect_local(std::uint16_t port) override {
    const SOCKET client = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (client == INVALID_SOCKET) return kNoSocket;
    const sockaddr_in address = loopback(port);
    if (::connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      ::closesocket(client);
      return kNoSocket;
    }
    return static_cast<SocketId>(client);
  }

  long receive(SocketId socket, char* buffer, std::size_t capacity) override {
    const int got = ::recv(handle(socket), buffer, static_cast<int>(capacity), 0);
    return got == SOCKET_ERROR ? -1 : got;
  }

  long send_some(SocketId socket, std::string_view bytes) override {
    if (!set_blocking(handle(socket), false)) return -1;
    const int sent = ::send(handle(socket), bytes.data(), static_cast<int>(bytes.size()), 0);
    const int error = sent == SOCKET_ERROR ? WSAGetLastError() : 0;
    set_blocking(handle(socket), true);
    if (sent != SOCKET_ERROR) return sent;
    return error == WSAEWOULDBLOCK || error == WSAEINTR ? 0 : -1;
  }

  bool send_all(SocketId socket, std::string_view bytes) override {
    while (!bytes.empty()) {
      const int sent = ::send(handle(socket), bytes.data(), static_cast<int>(bytes.size()), 0);
      if (sent == SOCKET_ERROR || sent == 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
  }

  void close_socket(SocketId socket) override { ::closesocket(handle(socket)); }

 private:
  static int wait_for(SocketId socket, bool readable, int milliseconds) {
    fd_set ready_set, failed_set;
    FD_ZERO(&ready_set);
    FD_ZERO(&failed_set);
    FD_SET(handle(socket), &ready_set);
    FD_SET(handle(socket), &failed_set);
    timeval wait{milliseconds / 1000, (milliseconds % 1000) * 1000};
    const int ready = ::select(0, readable ? &ready_set : nullptr, readable ? nullptr : &ready_set,
                               &failed_set, &wait);
    if (ready == SOCKET_ERROR) return WSAGetLastError() == WSAEINTR ? 0 : -1;
    // A failed socket counts as ready: the receive or send that follows tells.
    return ready > 0 ? 1 : 0;
  }
  static sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
  }
  static SocketId failed(const char* call, SOCKET socket, std::string& problem) {
    problem = std::string(call) + ": Winsock error " + std::to_string(WSAGetLastError());
    if (socket != INVALID_SOCKET) ::closesocket(socket);
    return kNoSocket;
  }

  WSADATA data_{};
  bool started_ = false;
};

}  // namespace

std::unique_ptr<Network> system_network() {
  return std::make_unique<WinsockNetwork>();
}

bool keep_standard_streams(std::string&) {
  return true;
}

}  // namespace kvr

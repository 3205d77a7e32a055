// Winsock behind the Network interface, for the Windows build. select() rather than WSAPoll(), so
// that the program runs on every Windows the 32-bit build reaches.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>

#include "jtag/network.h"

namespace kvr {
namespace {

SOCKET handle(SocketId socket) {
  return static_cast<SOCKET>(socket);
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
    bound = ntohs(address.sin_port);
    return static_cast<SocketId>(listener);
  }

  int wait_readable(SocketId socket, int milliseconds) override {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(handle(socket), &readable);
    timeval wait{milliseconds / 1000, (milliseconds % 1000) * 1000};
    const int ready = ::select(0, &readable, nullptr, nullptr, &wait);
    if (ready == SOCKET_ERROR) return WSAGetLastError() == WSAEINTR ? 0 : -1;
    return ready > 0 ? 1 : 0;
  }

  SocketId accept_client(SocketId listener) override {
    const SOCKET client = ::accept(handle(listener), nullptr, nullptr);
    return client == INVALID_SOCKET ? kNoSocket : static_cast<SocketId>(client);
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

}  // namespace kvr

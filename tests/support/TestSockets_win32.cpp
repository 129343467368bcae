#include <winsock2.h>
#include <ws2tcpip.h>

#include "support/TestSockets.h"

namespace {

SOCKET Handle(TestSocket socket) { return static_cast<SOCKET>(socket); }

sockaddr_in Loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

void SetTimeouts(SOCKET s, std::chrono::milliseconds timeout) {
  DWORD limit = static_cast<DWORD>(timeout.count());
  ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit);
  ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit);
}

}  // namespace

bool StartTestSockets() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

TestSocket ListenOnLoopback(uint16_t& port) {
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return kNoSocket;
  // Without this another program could bind the same port and take our connections.
  BOOL exclusive = TRUE;
  ::setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
  sockaddr_in address = Loopback(0);
  int length = sizeof address;
  if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(s, 8) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::closesocket(s);
    return kNoSocket;
  }
  port = ntohs(address.sin_port);
  return static_cast<TestSocket>(s);
}

TestSocket ConnectToLoopback(uint16_t port, std::chrono::milliseconds timeout) {
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return kNoSocket;
  sockaddr_in address = Loopback(port);
  if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::closesocket(s);
    return kNoSocket;
  }
  SetTimeouts(s, timeout);
  return static_cast<TestSocket>(s);
}

TestSocket AcceptConnection(TestSocket listener, std::chrono::milliseconds timeout) {
  SOCKET s = ::accept(Handle(listener), nullptr, nullptr);
  if (s == INVALID_SOCKET) return kNoSocket;
  SetTimeouts(s, timeout);
  return static_cast<TestSocket>(s);
}

void CloseTestSocket(TestSocket socket) {
  if (socket != kNoSocket) ::closesocket(Handle(socket));
}

bool WaitReadable(TestSocket socket, std::chrono::milliseconds timeout) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(Handle(socket), &readable);
  timeval limit{};
  limit.tv_sec = static_cast<long>(timeout.count() / 1000);
  limit.tv_usec = static_cast<long>(timeout.count() % 1000 * 1000);
  return ::select(0, &readable, nullptr, nullptr, &limit) > 0;
}

long ReceiveSome(TestSocket socket, char* buffer, std::size_t size) {
  int chunk = size > 65536 ? 65536 : static_cast<int>(size);
  return ::recv(Handle(socket), buffer, chunk, 0);
}

bool SendAll(TestSocket socket, std::string_view bytes) {
  while (!bytes.empty()) {
    int chunk = bytes.size() > 65536 ? 65536 : static_cast<int>(bytes.size());
    int sent = ::send(Handle(socket), bytes.data(), chunk, 0);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include "support/TestSockets.h"

namespace {

int Fd(TestSocket socket) { return static_cast<int>(socket); }

sockaddr_in Loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

void SetTimeouts(int fd, std::chrono::milliseconds timeout) {
  timeval limit{};
  limit.tv_sec = static_cast<time_t>(timeout.count() / 1000);
  limit.tv_usec = static_cast<suseconds_t>(timeout.count() % 1000 * 1000);
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

}  // namespace

bool StartTestSockets() { return true; }

TestSocket ListenOnLoopback(uint16_t& port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return kNoSocket;
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(fd);
    return kNoSocket;
  }
  port = ntohs(address.sin_port);
  return static_cast<TestSocket>(fd);
}

TestSocket ConnectToLoopback(uint16_t port, std::chrono::milliseconds timeout) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return kNoSocket;
  sockaddr_in address = Loopback(port);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return kNoSocket;
  }
  SetTimeouts(fd, timeout);
  return static_cast<TestSocket>(fd);
}

TestSocket AcceptConnection(TestSocket listener, std::chrono::milliseconds timeout) {
  int fd = ::accept4(Fd(listener), nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return kNoSocket;
  SetTimeouts(fd, timeout);
  return static_cast<TestSocket>(fd);
}

void CloseTestSocket(TestSocket socket) {
  if (socket != kNoSocket) ::close(Fd(socket));
}

bool WaitReadable(TestSocket socket, std::chrono::milliseconds timeout) {
  pollfd entry{Fd(socket), POLLIN, 0};
  return ::poll(&entry, 1, static_cast<int>(timeout.count())) > 0;
}

long ReceiveSome(TestSocket socket, char* buffer, std::size_t size) {
  return static_cast<long>(::recv(Fd(socket), buffer, size, 0));
}

bool SendAll(TestSocket socket, std::string_view bytes) {
  while (!bytes.empty()) {
    // A client that has gone away must not end the test program with SIGPIPE.
    ssize_t sent = ::send(Fd(socket), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

#pragma once
// The few socket calls the test HTTP server and its test client make, over BSD sockets or Winsock: the
// Windows tests run the server inside their own process under Wine.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

using TestSocket = std::uintptr_t;
inline constexpr TestSocket kNoSocket = ~TestSocket{0};

// Once per process before any other call (Winsock needs it); false when sockets are unusable.
bool StartTestSockets();

// A listening socket on 127.0.0.1, on a free port that the system chooses.
TestSocket ListenOnLoopback(uint16_t& port);
// Connections whose every send and receive gives up after `timeout`.
TestSocket ConnectToLoopback(uint16_t port, std::chrono::milliseconds timeout);
TestSocket AcceptConnection(TestSocket listener, std::chrono::milliseconds timeout);
void CloseTestSocket(TestSocket socket);

// True when the socket has data (or a connection) within `timeout`.
bool WaitReadable(TestSocket socket, std::chrono::milliseconds timeout);
// Bytes received, 0 at the end of the stream, negative on an error or timeout.
long ReceiveSome(TestSocket socket, char* buffer, std::size_t size);
bool SendAll(TestSocket socket, std::string_view bytes);

#pragma once
// A small HTTP server on 127.0.0.1 for the tests of the Internet dialogs; it runs inside the test program
// (under Wine too, over Winsock). One request per connection, answered from memory; every request it
// receives is recorded. It stops itself after a number of requests or a lifetime, so that a test that
// fails half-way never leaves it running, and it never waits on a client longer than a timeout.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "support/TestSockets.h"

struct TestHttpAnswer {
  int status = 200;
  std::string statusText = "OK";
  std::string body;
  std::chrono::milliseconds delay{0};  // between the header and the body: a slow server
  std::chrono::milliseconds dripEvery{0};  // the body one byte at a time, this far apart
  // When set, sent as it stands instead of all the above (nothing at all: the connection just closes).
  std::optional<std::string> raw{};
};

struct RecordedRequest {
  std::string method;
  std::string target;
  std::string version;  // "HTTP/1.1"
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;

  // The first header of that name (compared without regard to case).
  std::optional<std::string> Header(std::string_view name) const;
};

struct TestHttpLimits {
  int maxRequests = 100;
  std::chrono::milliseconds lifetime{60000};
  std::chrono::milliseconds clientTimeout{5000};  // for a whole request, and for each send
  std::size_t maxRequestBytes = 256 * 1024;
};

class TestHttpServer {
 public:
  explicit TestHttpServer(TestHttpLimits limits = {});
  ~TestHttpServer();
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  // What a request for `target` (path and query, as sent) gets; any other target gets 404 "Not Found".
  void Answer(const std::string& target, TestHttpAnswer answer);

  // Listens on a free port and serves on a thread of its own; false when no socket could be opened.
  bool Start();
  uint16_t Port() const { return port_; }
  // "127.0.0.1:<port>", a value for $DISKELLE_SERVER.
  std::string Address() const;

  // Ends the serving at once (a delayed body is not sent) and closes the port. Called by the destructor.
  void Stop();
  bool Running() const;

  std::vector<RecordedRequest> Requests() const;
  // Answers whose header has gone out, and those sent to their last byte (a test of a slow answer waits for the
  // one and checks the other).
  int AnswersBegun() const;
  int AnswersCompleted() const;

 private:
  void Run();
  void Serve(TestSocket connection);
  std::optional<RecordedRequest> ReadRequest(TestSocket connection);
  void Reply(TestSocket connection, const TestHttpAnswer& answer);
  void Count(int& counter);
  bool Stopping() const;
  // Waits time unless the server stops first; false when it stops.
  bool Pause(std::chrono::milliseconds time);

  const TestHttpLimits limits_;
  TestSocket listener_ = kNoSocket;
  uint16_t port_ = 0;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  bool running_ = false;
  std::map<std::string, TestHttpAnswer> answers_;
  std::vector<RecordedRequest> requests_;
  int answersBegun_ = 0;
  int answersCompleted_ = 0;
};

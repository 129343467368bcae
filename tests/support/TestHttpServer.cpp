#include "support/TestHttpServer.h"

#include <algorithm>

#include "base/Strings.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kPollInterval(50);
constexpr std::string_view kHeaderEnd = "\r\n\r\n";
constexpr std::size_t kMaxHeadBytes = 16 * 1024;

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// "METHOD target HTTP/x.y" and "Name: value" lines; nullopt when the head is not HTTP.
std::optional<RecordedRequest> ParseHead(std::string_view head) {
  RecordedRequest request;
  std::size_t lineEnd = head.find("\r\n");
  std::string_view requestLine = head.substr(0, lineEnd);
  std::size_t space1 = requestLine.find(' ');
  std::size_t space2 = requestLine.rfind(' ');
  if (space1 == std::string_view::npos || space2 == space1 || !requestLine.substr(space2 + 1).starts_with("HTTP/")) {
    return std::nullopt;
  }
  request.method = requestLine.substr(0, space1);
  request.target = requestLine.substr(space1 + 1, space2 - space1 - 1);
  request.version = requestLine.substr(space2 + 1);
  while (lineEnd != std::string_view::npos) {
    std::size_t start = lineEnd + 2;
    lineEnd = head.find("\r\n", start);
    std::string_view line = head.substr(start, lineEnd == std::string_view::npos ? head.npos : lineEnd - start);
    if (line.empty()) continue;
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) return std::nullopt;
    request.headers.emplace_back(line.substr(0, colon), TrimBlanks(line.substr(colon + 1)));
  }
  return request;
}

std::optional<std::size_t> ContentLength(const RecordedRequest& request, std::size_t limit) {
  std::optional<std::string> text = request.Header("Content-Length");
  if (!text) return 0;
  if (text->empty() || text->size() > 9) return std::nullopt;
  std::size_t length = 0;
  for (char c : *text) {
    if (c < '0' || c > '9') return std::nullopt;
    length = length * 10 + static_cast<std::size_t>(c - '0');
  }
  if (length > limit) return std::nullopt;
  return length;
}

}  // namespace

std::optional<std::string> RecordedRequest::Header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (EqualsIgnoringCase(key, name)) return value;
  }
  return std::nullopt;
}

TestHttpServer::TestHttpServer(TestHttpLimits limits) : limits_(limits) {}

TestHttpServer::~TestHttpServer() { Stop(); }

void TestHttpServer::Answer(const std::string& target, TestHttpAnswer answer) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_[target] = std::move(answer);
}

bool TestHttpServer::Start() {
  if (thread_.joinable() || !StartTestSockets()) return false;
  listener_ = ListenOnLoopback(port_);
  if (listener_ == kNoSocket) return false;
  running_ = true;
  thread_ = std::thread([this] { Run(); });
  return true;
}

std::string TestHttpServer::Address() const { return "127.0.0.1:" + std::to_string(port_); }

void TestHttpServer::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool TestHttpServer::Running() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return running_;
}

std::vector<RecordedRequest> TestHttpServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

int TestHttpServer::AnswersBegun() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return answersBegun_;
}

int TestHttpServer::AnswersCompleted() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return answersCompleted_;
}

void TestHttpServer::Count(int& counter) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++counter;
}

bool TestHttpServer::Stopping() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stopping_;
}

void TestHttpServer::Run() {
  const Clock::time_point end = Clock::now() + limits_.lifetime;
  for (int served = 0; served < limits_.maxRequests && Clock::now() < end && !Stopping();) {
    if (!WaitReadable(listener_, kPollInterval)) continue;
    TestSocket connection = AcceptConnection(listener_, limits_.clientTimeout);
    if (connection == kNoSocket) continue;
    Serve(connection);
    CloseTestSocket(connection);
    ++served;
  }
  CloseTestSocket(listener_);
  std::lock_guard<std::mutex> lock(mutex_);
  running_ = false;
}

void TestHttpServer::Serve(TestSocket connection) {
  std::optional<RecordedRequest> request = ReadRequest(connection);
  if (!request) {
    Reply(connection, {400, "Bad Request", "", milliseconds(0)});
    return;
  }
  TestHttpAnswer answer{404, "Not Found", "", milliseconds(0)};
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(*request);
    auto found = answers_.find(request->target);
    if (found != answers_.end()) answer = found->second;
  }
  Reply(connection, answer);
}

std::optional<RecordedRequest> TestHttpServer::ReadRequest(TestSocket connection) {
  const Clock::time_point end = Clock::now() + limits_.clientTimeout;
  std::string bytes;
  std::optional<RecordedRequest> request;
  std::size_t bodyStart = 0;
  std::size_t bodyLength = 0;
  char buffer[4096];
  while (true) {
    if (!request) {
      std::size_t headEnd = bytes.find(kHeaderEnd);
      if (headEnd != std::string::npos) {
        request = ParseHead(std::string_view(bytes).substr(0, headEnd));
        std::optional<std::size_t> length;
        if (request) length = ContentLength(*request, limits_.maxRequestBytes);
        if (!length) return std::nullopt;
        bodyStart = headEnd + kHeaderEnd.size();
        bodyLength = *length;
        if (request->Header("Expect") && !SendAll(connection, "HTTP/1.1 100 Continue\r\n\r\n")) return std::nullopt;
      }
    }
    if (request && bytes.size() >= bodyStart + bodyLength) {
      request->body = bytes.substr(bodyStart, bodyLength);
      return request;
    }
    if ((!request && bytes.size() > kMaxHeadBytes) || Clock::now() >= end || Stopping()) return std::nullopt;
    if (!WaitReadable(connection, kPollInterval)) continue;
    long received = ReceiveSome(connection, buffer, sizeof buffer);
    if (received <= 0) return std::nullopt;
    bytes.append(buffer, static_cast<std::size_t>(received));
  }
}

// A client that has gone away gets nothing more; that is no failure of the server.
void TestHttpServer::Reply(TestSocket connection, const TestHttpAnswer& answer) {
  if (answer.raw) {
    SendAll(connection, *answer.raw);
    return;
  }
  std::string head = "HTTP/1.1 " + std::to_string(answer.status) + " " + answer.statusText +
                     "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
                     std::to_string(answer.body.size()) + "\r\nConnection: close\r\n\r\n";
  if (!SendAll(connection, head)) return;
  Count(answersBegun_);
  if (answer.delay > milliseconds(0) && !Pause(answer.delay)) return;
  if (answer.dripEvery == milliseconds(0)) {
    if (SendAll(connection, answer.body)) Count(answersCompleted_);
    return;
  }
  for (std::size_t at = 0; at < answer.body.size(); ++at) {
    if ((at > 0 && !Pause(answer.dripEvery)) || !SendAll(connection, std::string_view(answer.body).substr(at, 1))) return;
  }
  Count(answersCompleted_);
}

bool TestHttpServer::Pause(milliseconds time) {
  std::unique_lock<std::mutex> lock(mutex_);
  return !wake_.wait_for(lock, time, [this] { return stopping_; });
}

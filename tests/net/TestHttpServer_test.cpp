// The test HTTP server that the dialogs' tests start, driven by a minimal client over loopback.
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

#include "net/ResponseBody.h"
#include "net/Server.h"
#include "net/UpdateFile.h"
#include "support/Waiting.h"

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr milliseconds kClientTimeout = kWaitCeiling;

struct ClientAnswer {
  int status = 0;
  std::string statusLine;
  std::string body;
};

// One request, then everything up to the server's close.
std::optional<ClientAnswer> Exchange(uint16_t port, const std::string& request) {
  TestSocket socket = ConnectToLoopback(port, kClientTimeout);
  if (socket == kNoSocket) return std::nullopt;
  std::string bytes;
  if (SendAll(socket, request)) {
    char buffer[4096];
    long received;
    while (bytes.size() < (1u << 20) && (received = ReceiveSome(socket, buffer, sizeof buffer)) > 0) {
      bytes.append(buffer, static_cast<std::size_t>(received));
    }
  }
  CloseTestSocket(socket);
  std::size_t headEnd = bytes.find("\r\n\r\n");
  if (!bytes.starts_with("HTTP/1.1 ") || headEnd == std::string::npos) return std::nullopt;
  ClientAnswer answer;
  answer.statusLine = bytes.substr(0, bytes.find("\r\n"));
  answer.status = std::stoi(bytes.substr(9, 3));
  answer.body = bytes.substr(headEnd + 4);
  return answer;
}

std::string Get(const std::string& target) { return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"; }

TEST(TestHttpServer, ServesFilesFromMemoryAndAnswersOtherPathsWithTheirStatus) {
  TestHttpServer server;
  server.Answer(kUpdateFilePath, {200, "OK", "http://d.example/\r\n$VERSION\r\n2.3.0\r\nNew\r\n", milliseconds(0)});
  server.Answer(kNewsFilePath, {404, "Gone Fishing", "", milliseconds(0)});
  ASSERT_TRUE(server.Start());
  ASSERT_TRUE(StartTestSockets());

  std::optional<ClientAnswer> update = Exchange(server.Port(), Get(kUpdateFilePath));
  ASSERT_TRUE(update);
  EXPECT_EQ(update->status, 200);
  ResponseBody body;
  ASSERT_TRUE(body.Append(update->body));
  ASSERT_FALSE(body.Problem());
  UpdateFile file = ParseUpdateFile(body.Text());
  EXPECT_EQ(file.version, "2.3.0");
  EXPECT_EQ(file.history, "2.3.0\r\nNew");

  struct Case {
    std::string request;
    const char* statusLine;
  } cases[] = {
      {Get(kNewsFilePath), "HTTP/1.1 404 Gone Fishing"},
      {Get("/software/diskelle/other.txt"), "HTTP/1.1 404 Not Found"},
      {"NONSENSE\r\n\r\n", "HTTP/1.1 400 Bad Request"},
      {"POST / HTTP/1.1\r\nContent-Length: 99999999999\r\n\r\n", "HTTP/1.1 400 Bad Request"},
  };
  for (const Case& c : cases) {
    std::optional<ClientAnswer> answer = Exchange(server.Port(), c.request);
    ASSERT_TRUE(answer) << c.request;
    EXPECT_EQ(answer->statusLine, c.statusLine);
  }
}

TEST(TestHttpServer, RecordsPostedFormsWithTheirHeadersAndRawBody) {
  TestHttpServer server;
  server.Answer(kFeedbackPath, {200, "OK", "thanks", milliseconds(0)});
  ASSERT_TRUE(server.Start());
  std::string form = "app_name=Diskelle&comment=a\nb%20c";
  std::optional<ClientAnswer> answer =
      Exchange(server.Port(), std::string("POST ") + kFeedbackPath + " HTTP/1.1\r\nHost: x\r\n" + kFeedbackContentTypeHeader +
                                  "Content-Length: " + std::to_string(form.size()) + "\r\n\r\n" + form);
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->status, 200);

  std::vector<RecordedRequest> requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].target, kFeedbackPath);
  EXPECT_EQ(requests[0].Header("content-type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(requests[0].body, form);
}

TEST(TestHttpServer, DelaysTheBodyAndStopsWithoutWaitingForIt) {
  constexpr milliseconds kDelay(300);
  TestHttpServer server;
  server.Answer(kNewsFilePath, {200, "OK", "slow", kDelay});
  ASSERT_TRUE(server.Start());
  Clock::time_point start = Clock::now();
  std::optional<ClientAnswer> answer = Exchange(server.Port(), Get(kNewsFilePath));
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->body, "slow");
  EXPECT_GE(Clock::now() - start, kDelay);

  server.Answer(kNewsFilePath, {200, "OK", "never", milliseconds(60000)});
  TestSocket socket = ConnectToLoopback(server.Port(), kClientTimeout);
  ASSERT_NE(socket, kNoSocket);
  ASSERT_TRUE(SendAll(socket, Get(kNewsFilePath)));
  char buffer[256];
  ASSERT_GT(ReceiveSome(socket, buffer, sizeof buffer), 0);  // the header came; the body waits
  server.Stop();
  EXPECT_FALSE(server.Running());
  EXPECT_EQ(ReceiveSome(socket, buffer, sizeof buffer), 0) << "the server sent the body before it stopped";
  CloseTestSocket(socket);
  EXPECT_EQ(ConnectToLoopback(server.Port(), kClientTimeout), kNoSocket);
}

TEST(TestHttpServer, StopsItselfAfterItsRequestsOrItsLifetime) {
  TestHttpServer counted({2, milliseconds(60000), kClientTimeout, 1024});
  ASSERT_TRUE(counted.Start());
  for (int i = 0; i < 2; ++i) ASSERT_TRUE(Exchange(counted.Port(), Get("/")));
  EXPECT_TRUE(WaitUntil([&] { return !counted.Running(); })) << "the server never stopped after its requests";
  EXPECT_FALSE(Exchange(counted.Port(), Get("/")));

  TestHttpServer timed({100, milliseconds(200), kClientTimeout, 1024});
  ASSERT_TRUE(timed.Start());
  EXPECT_TRUE(WaitUntil([&] { return !timed.Running(); })) << "the server never stopped at the end of its lifetime";
}

TEST(TestHttpServer, GivesUpOnAClientThatNeverFinishesItsRequest) {
  TestHttpServer server({100, milliseconds(60000), milliseconds(200), 1024});
  server.Answer("/", {200, "OK", "root", milliseconds(0)});
  ASSERT_TRUE(server.Start());
  TestSocket idle = ConnectToLoopback(server.Port(), kClientTimeout);
  ASSERT_NE(idle, kNoSocket);
  ASSERT_TRUE(SendAll(idle, "GET / HTTP/1.1\r\n"));
  std::optional<ClientAnswer> answer = Exchange(server.Port(), Get("/"));
  CloseTestSocket(idle);
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->body, "root");
}

}  // namespace

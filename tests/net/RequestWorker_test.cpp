// The worker of the Internet dialogs with a client that blocks until the test lets it go: the cancel
// protocol, and a dialog that detaches while its request still runs.
#include "net/RequestWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "support/Waiting.h"

namespace {

using namespace std::chrono_literals;

// Blocks in Get until released or aborted, as a slow server does.
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  bool entered = false;
  bool released = false;
  bool aborted = false;
  bool clientGone = false;  // the request's thread has let go of its data
};

class BlockingClient : public IHttpClient {
 public:
  explicit BlockingClient(std::shared_ptr<Gate> gate) : gate_(std::move(gate)) {}
  ~BlockingClient() override {
    std::lock_guard<std::mutex> lock(gate_->mutex);
    gate_->clientGone = true;
    gate_->changed.notify_all();
  }
  HttpReply Get(const ServerAddress&, std::string_view) override {
    std::unique_lock<std::mutex> lock(gate_->mutex);
    gate_->entered = true;
    gate_->changed.notify_all();
    gate_->changed.wait(lock, [this] { return gate_->released || gate_->aborted; });
    HttpReply reply;
    if (gate_->aborted) {
      reply.failure = "aborted";
    } else {
      reply.status = 200;
      reply.body.Append("text");
    }
    return reply;
  }
  HttpReply Post(const ServerAddress& server, std::string_view path, std::string_view) override {
    return Get(server, path);
  }
  void Abort() override {
    std::lock_guard<std::mutex> lock(gate_->mutex);
    gate_->aborted = true;
    gate_->changed.notify_all();
  }

 private:
  std::shared_ptr<Gate> gate_;
};

struct Signal {
  std::mutex mutex;
  std::condition_variable changed;
  int count = 0;
  void Raise() {
    std::lock_guard<std::mutex> lock(mutex);
    ++count;
    changed.notify_all();
  }
  bool WaitFor(int n) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, kWaitCeiling, [&] { return count >= n; });
  }
};

RequestWorker::Request GetRequest() {
  return [](IHttpClient& client) { return client.Get(ServerAddress{"h", 80}, "/"); };
}

void WaitUntilEntered(Gate& gate) {
  std::unique_lock<std::mutex> lock(gate.mutex);
  ASSERT_TRUE(gate.changed.wait_for(lock, kWaitCeiling, [&] { return gate.entered; })) << "the request never began";
}

TEST(RequestWorker, DeliversTheReplyOnceAndIsNoLongerBusy) {
  auto gate = std::make_shared<Gate>();
  auto finished = std::make_shared<Signal>();
  RequestWorker worker;
  ASSERT_TRUE(worker.Start(std::make_unique<BlockingClient>(gate), GetRequest(), [finished] { finished->Raise(); }));
  EXPECT_TRUE(worker.Busy());
  EXPECT_FALSE(worker.Start(std::make_unique<BlockingClient>(gate), GetRequest(), nullptr)) << "one at a time";
  {
    std::lock_guard<std::mutex> lock(gate->mutex);
    gate->released = true;
    gate->changed.notify_all();
  }
  ASSERT_TRUE(finished->WaitFor(1));
  EXPECT_FALSE(worker.Busy());
  EXPECT_FALSE(worker.Cancelled());
  std::optional<HttpReply> reply = worker.TakeReply();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->body.Text(), "text");
  EXPECT_FALSE(worker.TakeReply());
}

TEST(RequestWorker, WaitingForAStalledRequestEndsAtItsTime) {
  auto gate = std::make_shared<Gate>();
  RequestWorker worker;
  ASSERT_TRUE(worker.Start(std::make_unique<BlockingClient>(gate), GetRequest(), nullptr));
  WaitUntilEntered(*gate);
  EXPECT_FALSE(worker.WaitFor(200ms));
  EXPECT_TRUE(worker.Busy());
  worker.Cancel();  // aborts the blocked request
  EXPECT_TRUE(worker.WaitFor(kWaitCeiling));
  ASSERT_TRUE(worker.TakeReply());
}

TEST(RequestWorker, CancelAbortsTheRequestAndTheDialogHearsWhenItHasEnded) {
  auto gate = std::make_shared<Gate>();
  auto finished = std::make_shared<Signal>();
  RequestWorker worker;
  ASSERT_TRUE(worker.Start(std::make_unique<BlockingClient>(gate), GetRequest(), [finished] { finished->Raise(); }));
  WaitUntilEntered(*gate);
  worker.Cancel();
  EXPECT_TRUE(worker.Cancelled());
  ASSERT_TRUE(finished->WaitFor(1)) << "the aborted request ends and says so";
  EXPECT_FALSE(worker.Busy());
  std::optional<HttpReply> reply = worker.TakeReply();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->failure, std::optional<std::string>("aborted"));
}

TEST(RequestWorker, ADetachedRequestNeverCallsBackAndOutlivesItsWorker) {
  auto gate = std::make_shared<Gate>();
  auto finished = std::make_shared<Signal>();
  {
    RequestWorker worker;
    ASSERT_TRUE(worker.Start(std::make_unique<BlockingClient>(gate), GetRequest(), [finished] { finished->Raise(); }));
    WaitUntilEntered(*gate);
  }  // the dialog ended while its request ran
  {
    std::unique_lock<std::mutex> lock(gate->mutex);
    EXPECT_TRUE(gate->changed.wait_for(lock, kWaitCeiling, [&] { return gate->aborted; })) << "the request was never aborted";
    // The thread finishes on its own data; nothing reaches the ended dialog.
    EXPECT_TRUE(gate->changed.wait_for(lock, kWaitCeiling, [&] { return gate->clientGone; })) << "the request's thread never ended";
  }
  std::lock_guard<std::mutex> lock(finished->mutex);
  EXPECT_EQ(finished->count, 0);
}

}  // namespace

#include "net/RequestWorker.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

struct RequestWorker::Shared {
  std::mutex mutex;
  std::condition_variable ended;
  std::unique_ptr<IHttpClient> client;
  Finished finished;
  std::optional<HttpReply> reply;
  bool busy = true;
  bool cancelled = false;
};

namespace {

// Runs body on a thread that nobody joins; false when no thread could be made. The thread is let go only once
// it runs: under Wine, a thread of MinGW's pthreads that was detached before it first ran sometimes never
// ran at all (the request never began, the dialog waited for it).
bool RunDetached(std::function<void()> body) {
  struct Start {
    std::mutex mutex;
    std::condition_variable changed;
    bool running = false;
  };
  auto start = std::make_shared<Start>();
  try {
    std::thread thread([start, body = std::move(body)] {
      {
        std::lock_guard<std::mutex> lock(start->mutex);
        start->running = true;
      }
      start->changed.notify_all();
      body();
    });
    {
      std::unique_lock<std::mutex> lock(start->mutex);
      start->changed.wait(lock, [&start] { return start->running; });
    }
    thread.detach();
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

// Closing a connection can wait for the call it interrupts (Wine's WinInet waits for the answer): the
// abort runs on a thread of its own, so that the dialog never waits for the server. Without a thread the
// request simply runs to its end; nothing waits for it.
template <typename Shared>
void AbortAside(const std::shared_ptr<Shared>& shared) {
  RunDetached([shared] { shared->client->Abort(); });
}

}  // namespace

bool RequestWorker::Start(std::unique_ptr<IHttpClient> client, Request request, Finished finished) {
  if (Busy() || !client) return false;
  auto shared = std::make_shared<Shared>();
  shared->client = std::move(client);
  shared->finished = std::move(finished);
  const bool started = RunDetached([shared, request = std::move(request)] {
    HttpReply reply = request(*shared->client);
    // Under the lock: Detach cannot return while finished is being called.
    std::lock_guard<std::mutex> lock(shared->mutex);
    shared->reply = std::move(reply);
    shared->busy = false;
    shared->ended.notify_all();
    if (shared->finished) shared->finished();
  });
  if (!started) return false;
  shared_ = std::move(shared);
  return true;
}

bool RequestWorker::Busy() const {
  if (!shared_) return false;
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->busy;
}

bool RequestWorker::WaitFor(std::chrono::milliseconds time) const {
  if (!shared_) return true;
  std::unique_lock<std::mutex> lock(shared_->mutex);
  return shared_->ended.wait_for(lock, time, [this] { return !shared_->busy; });
}

void RequestWorker::Cancel() {
  if (!shared_) return;
  bool busy;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->cancelled = true;
    busy = shared_->busy;
  }
  if (busy) AbortAside(shared_);
}

bool RequestWorker::Cancelled() const {
  if (!shared_) return false;
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->cancelled;
}

std::optional<HttpReply> RequestWorker::TakeReply() {
  if (!shared_) return std::nullopt;
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return std::exchange(shared_->reply, std::nullopt);
}

void RequestWorker::Detach() {
  if (!shared_) return;
  bool busy;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->cancelled = true;
    shared_->finished = nullptr;
    busy = shared_->busy;
  }
  if (busy) AbortAside(shared_);
  shared_.reset();
}

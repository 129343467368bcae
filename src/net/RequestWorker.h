#pragma once
// Runs a dialog's request on a thread of its own while the dialog stays responsive. The dialog hears of the
// end through `finished`, called on the worker's thread (a posted message), and takes the reply on its own
// thread. The data the thread works on is shared with it, never owned by the dialog alone: a dialog that
// ends while its request still runs detaches, and the thread then finishes without touching the dialog.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "net/HttpClient.h"

class RequestWorker {
 public:
  using Request = std::function<HttpReply(IHttpClient&)>;
  using Finished = std::function<void()>;

  RequestWorker() = default;
  RequestWorker(const RequestWorker&) = delete;
  RequestWorker& operator=(const RequestWorker&) = delete;
  ~RequestWorker() { Detach(); }

  // Starts request over client; false while an earlier request still runs or when no thread starts.
  bool Start(std::unique_ptr<IHttpClient> client, Request request, Finished finished);
  // The request runs (from Start until just before finished is called).
  bool Busy() const;
  // Waits at most time for the request to end; true when it has.
  bool WaitFor(std::chrono::milliseconds time) const;
  // The user closed the dialog: the client is aborted; the reply, when it comes, is to be dropped.
  void Cancel();
  bool Cancelled() const;
  // The reply of the finished request, once.
  std::optional<HttpReply> TakeReply();
  // Cancels and forgets the request: finished is never called after this returns.
  void Detach();

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

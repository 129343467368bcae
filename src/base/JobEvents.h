#pragma once
// The posting seam: worker threads tell the user-interface thread that something happened (the Windows
// program posts WM_APP + n to its main window: ui/WindowJobEvents). They write the progress fields first and
// post after; the receiver reads the fields when the event arrives. Posting never blocks and never touches
// a window.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

// Which job an event comes from. Decode: a conversion of a flux capture (or one into a rescue), shown like a
// disk job.
enum class JobKind : uint8_t { Read, Write, Conversion, Decode };

// What happened. Disk jobs and the decoding: Progress after every block (every track), SideFormatted after
// every formatted track side, then Succeeded or Failed (failure and cancellation alike) as their last event.
// The conversion: Loading, Saving, then Ended as its last event.
enum class JobStep : uint8_t { Progress, Succeeded, Failed, SideFormatted, Loading, Saving, Ended };

struct JobEvent {
  JobKind job;
  JobStep step;
  bool operator==(const JobEvent&) const = default;
  // The job's last event: after it the receiver may destroy the job.
  bool Ends() const { return step == JobStep::Succeeded || step == JobStep::Failed || step == JobStep::Ended; }
};

class IJobEvents {
 public:
  virtual ~IJobEvents() = default;
  virtual void Post(JobEvent event) = 0;
};

// Events kept in order for a thread that waits for them: the POSIX front end's "modal loop" and tests.
class JobEventQueue : public IJobEvents {
 public:
  void Post(JobEvent event) override {
    {
      std::lock_guard lock(mutex_);
      events_.push_back(event);
    }
    ready_.notify_one();
  }

  JobEvent WaitNext() {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return !events_.empty(); });
    JobEvent event = events_.front();
    events_.pop_front();
    return event;
  }

  // The next event if one arrives within the time; nullopt otherwise.
  template <typename Duration>
  std::optional<JobEvent> WaitNextFor(Duration timeout) {
    std::unique_lock lock(mutex_);
    if (!ready_.wait_for(lock, timeout, [this] { return !events_.empty(); })) return std::nullopt;
    JobEvent event = events_.front();
    events_.pop_front();
    return event;
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<JobEvent> events_;
};

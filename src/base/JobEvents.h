#pragma once
// The posting seam: worker threads tell the user-interface thread that something happened, the way the
// Win32 program posts WM_APP + n to its main window. They write the progress fields first and post after;
// the receiver reads the fields when the event arrives. Posting never blocks and never touches a window.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

inline constexpr uint32_t kReadProgressMessage = 0x8001;        // WM_APP + 1
inline constexpr uint32_t kWriteProgressMessage = 0x8002;       // WM_APP + 2
inline constexpr uint32_t kConversionProgressMessage = 0x8003;  // WM_APP + 3

// wParam values of the disk jobs' messages.
inline constexpr uintptr_t kJobProgress = 0;
inline constexpr uintptr_t kJobSucceeded = 1;
inline constexpr uintptr_t kJobFailed = 2;
inline constexpr uintptr_t kJobSideFormatted = 3;

struct JobEvent {
  uint32_t message;
  uintptr_t wParam;
};

class IJobEvents {
 public:
  virtual ~IJobEvents() = default;
  virtual void Post(uint32_t message, uintptr_t wParam) = 0;
};

// Events kept in order for a thread that waits for them: the POSIX front end's "modal loop" and tests.
class JobEventQueue : public IJobEvents {
 public:
  void Post(uint32_t message, uintptr_t wParam) override {
    {
      std::lock_guard lock(mutex_);
      events_.push_back({message, wParam});
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

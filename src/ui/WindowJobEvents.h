#pragma once
// The posting seam of the Windows program: a job's events become messages posted to a window (the main
// window), which reads the progress fields when they arrive. Posting never waits and never touches the
// window itself, so worker threads may post.

#include <windows.h>

#include <atomic>

#include "base/JobEvents.h"

class WindowJobEvents : public IJobEvents {
 public:
  explicit WindowJobEvents(HWND window) : window_(window) {}
  void Post(uint32_t message, uintptr_t wParam) override;
  // The result of the last PostMessageW (FALSE: the window is gone or its queue is full).
  BOOL LastResult() const { return lastResult_; }

 private:
  HWND window_;
  std::atomic<BOOL> lastResult_{TRUE};
};

#pragma once
// The posting seam of the Windows program: a job's events become messages posted to a window (the main
// window), which reads the progress fields when they arrive. Posting never waits and never touches the
// window itself, so worker threads may post.
//
// The messages: WM_APP + 1 (read job), WM_APP + 2 (write job), WM_APP + 3 (conversion), WM_APP + 4 (a
// capture's decoding). wParam of a disk job and of the decoding: 0 progress, 1 succeeded, 2 failed or
// cancelled, 3 a track side formatted; of the conversion: 1 loading, 2 saving, 0 ended.

#include <windows.h>

#include <atomic>
#include <optional>

#include "base/JobEvents.h"

inline constexpr UINT kReadJobMessage = WM_APP + 1;
inline constexpr UINT kWriteJobMessage = WM_APP + 2;
inline constexpr UINT kConversionMessage = WM_APP + 3;
inline constexpr UINT kDecodeJobMessage = WM_APP + 4;

struct JobMessage {
  UINT message;
  WPARAM wParam;
};
JobMessage MessageOfJobEvent(JobEvent event);
// The event a posted message carries; nullopt for any other message.
std::optional<JobEvent> JobEventOfMessage(UINT message, WPARAM wParam);

class WindowJobEvents : public IJobEvents {
 public:
  explicit WindowJobEvents(HWND window) : window_(window) {}
  void Post(JobEvent event) override;
  // The result of the last PostMessageW (FALSE: the window is gone or its queue is full).
  BOOL LastResult() const { return lastResult_; }

 private:
  HWND window_;
  std::atomic<BOOL> lastResult_{TRUE};
};

#include "ui/WindowJobEvents.h"

#include <iterator>

namespace {

constexpr WPARAM kDiskSteps[] = {0, 1, 2, 3};  // Progress, Succeeded, Failed, SideFormatted

}  // namespace

JobMessage MessageOfJobEvent(JobEvent event) {
  switch (event.job) {
    case JobKind::Read:
    case JobKind::Write:
    case JobKind::Decode: {
      UINT message = event.job == JobKind::Read    ? kReadJobMessage
                     : event.job == JobKind::Write ? kWriteJobMessage
                                                   : kDecodeJobMessage;
      auto step = static_cast<std::size_t>(event.step);
      return {message, step < std::size(kDiskSteps) ? kDiskSteps[step] : 0};
    }
    case JobKind::Conversion:
      return {kConversionMessage, event.step == JobStep::Loading ? 1u : event.step == JobStep::Saving ? 2u : 0u};
  }
  return {0, 0};
}

std::optional<JobEvent> JobEventOfMessage(UINT message, WPARAM wParam) {
  if (message == kConversionMessage) {
    if (wParam > 2) return std::nullopt;
    constexpr JobStep kSteps[] = {JobStep::Ended, JobStep::Loading, JobStep::Saving};
    return JobEvent{JobKind::Conversion, kSteps[wParam]};
  }
  if ((message != kReadJobMessage && message != kWriteJobMessage && message != kDecodeJobMessage) ||
      wParam >= std::size(kDiskSteps)) {
    return std::nullopt;
  }
  const JobKind job = message == kReadJobMessage    ? JobKind::Read
                      : message == kWriteJobMessage ? JobKind::Write
                                                    : JobKind::Decode;
  return JobEvent{job, static_cast<JobStep>(wParam)};
}

void WindowJobEvents::Post(JobEvent event) {
  JobMessage posted = MessageOfJobEvent(event);
  lastResult_ = ::PostMessageW(window_, posted.message, posted.wParam, 0);
}

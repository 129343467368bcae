#include "support/FakeApplicationFront.h"

#include <chrono>
#include <stdexcept>

int FakeApplicationFront::RunProgress(OperationProgress& progress, uint32_t message) {
  ++progressRuns;
  int seen = 0;
  for (;;) {
    std::optional<JobEvent> event = events.WaitNextFor(std::chrono::seconds(60));
    if (!event) throw std::runtime_error("the job never finished");
    if (event->message != message) continue;
    progressKinds.push_back(event->wParam);
    if (event->wParam == kJobSucceeded) return 1;
    if (event->wParam == kJobFailed) return -1;
    percents.push_back(progress.percent.load());
    if (++seen == cancelAfterProgressEvents) progress.cancelRequested = true;
  }
}

void FakeApplicationFront::RunConversionStatus() {
  for (;;) {
    std::optional<JobEvent> event = events.WaitNextFor(std::chrono::seconds(60));
    if (!event) throw std::runtime_error("the conversion never finished");
    if (event->message != kConversionProgressMessage) continue;
    conversionEvents.push_back(event->wParam);
    if (event->wParam == 0) return;
  }
}

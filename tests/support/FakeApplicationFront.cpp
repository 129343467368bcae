#include "support/FakeApplicationFront.h"

#include <stdexcept>

#include "support/Waiting.h"

int FakeApplicationFront::RunProgress(OperationProgress& progress, JobKind job) {
  ++progressRuns;
  int seen = 0;
  for (;;) {
    std::optional<JobEvent> event = events.WaitNextFor(kWaitCeiling);
    if (!event) throw std::runtime_error("the job never finished");
    if (event->job != job) continue;
    progressKinds.push_back(event->step);
    if (event->step == JobStep::Succeeded) return 1;
    if (event->step == JobStep::Failed) return -1;
    percents.push_back(progress.percent.load());
    if (++seen == cancelAfterProgressEvents) progress.cancelRequested = true;
  }
}

void FakeApplicationFront::RunConversionStatus() {
  for (;;) {
    std::optional<JobEvent> event = events.WaitNextFor(kWaitCeiling);
    if (!event) throw std::runtime_error("the conversion never finished");
    if (event->job != JobKind::Conversion) continue;
    conversionEvents.push_back(event->step);
    if (event->Ends()) return;
  }
}

#pragma once
// The application front's test double: runs the progress loop like a modal dialog would, records what a
// user would have been shown, and can press Cancel after a given number of progress events.

#include <string>
#include <vector>

#include "app/Application.h"
#include "base/JobEvents.h"

class FakeApplicationFront : public IApplicationFront {
 public:
  IJobEvents& JobEvents() override { return events; }
  int RunProgress(OperationProgress& progress, JobKind job) override;
  void RunConversionStatus() override;
  void PlaySuccessSound(bool waitUntilDone) override { sounds.push_back(waitUntilDone); }
  void ShowBadSectorReport(const BadSectorReportModel& report) override { reports.push_back(report); }
  std::string DescriptionFieldText() override { return descriptionField; }
  void ShowCommandLineHelp() override { ++helpShown; }
  void ShowSourceImage() override { ++sourceShown; }

  JobEventQueue events;
  std::string descriptionField = "typed in the window";
  int cancelAfterProgressEvents = -1;  // -1: never
  std::vector<bool> sounds;
  std::vector<BadSectorReportModel> reports;
  std::vector<uint32_t> percents;        // of every progress event, in order
  std::vector<JobStep> progressKinds;  // every event of the job
  std::vector<JobStep> conversionEvents;
  int helpShown = 0;
  int sourceShown = 0;
  int progressRuns = 0;
};

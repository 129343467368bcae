#pragma once
// What the Windows program shows for the application's operations: the modal progress and conversion
// windows (owned by the main window, which receives the jobs' posted events and hands them on here), the
// success sound, the bad-sector report and the command-line help.

#include <windows.h>

#include <optional>

#include "app/Application.h"
#include "ui/ProgressDlg.h"
#include "ui/WindowJobEvents.h"
#include "win32/ConversionDlg.h"

class CMainDlg;

class MainWindowFront : public IApplicationFront {
 public:
  // The main window, once it exists; jobs post their events to it.
  void Attach(CMainDlg& dialog);

  IJobEvents& JobEvents() override;
  int RunProgress(OperationProgress& progress, JobKind job) override;
  void RunConversionStatus() override;
  void PlaySuccessSound(bool waitUntilDone) override;
  void ShowBadSectorReport(const BadSectorReportModel& report) override;
  std::string DescriptionFieldText() override;
  void ShowCommandLineHelp() override;
  void ShowSourceImage() override;

  // A job's event (WM_APP + 1 to WM_APP + 3) as the main window received it.
  void OnJobEvent(JobEvent event);

 private:
  CMainDlg* dialog_ = nullptr;
  std::optional<WindowJobEvents> events_;
  CProgressDlg* progressDlg_ = nullptr;
  bool jobEnded_ = false;  // the running disk job has reported its end
  CConversionDlg* conversionDlg_ = nullptr;
};

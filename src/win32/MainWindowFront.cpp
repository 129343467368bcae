#include "win32/MainWindowFront.h"

#include <mmsystem.h>

#include "ui/WideText.h"
#include "win32/BadSectorDlg.h"
#include "win32/CommandLineHelpDlg.h"
#include "win32/MainDlg.h"
#include "win32/MainDlgRes.h"

void MainWindowFront::Attach(CMainDlg& dialog) {
  dialog_ = &dialog;
  events_.emplace(dialog.Window());
}

IJobEvents& MainWindowFront::JobEvents() {
  // Operations start only once the main window exists; should one start earlier, its events go nowhere.
  if (!events_) events_.emplace(nullptr);
  return *events_;
}

// The events name their own job; the dialog takes the texts of reading or writing from each.
int MainWindowFront::RunProgress(OperationProgress& progress, JobKind) {
  CProgressDlg dialog(dialog_->Context(), progress);
  progressDlg_ = &dialog;
  jobEnded_ = false;
  INT_PTR result = dialog.RunModal(dialog_->Window());
  progressDlg_ = nullptr;
  if (!jobEnded_) {
    // The window failed before the job ended: nobody can cancel the job any more, so stop it now.
    progress.cancelRequested = true;
    return -1;
  }
  return result == 1 ? 1 : -1;
}

void MainWindowFront::RunConversionStatus() {
  CConversionDlg dialog(dialog_->Context());
  conversionDlg_ = &dialog;
  dialog.RunModal(dialog_->Window());
  conversionDlg_ = nullptr;
}

void MainWindowFront::OnJobEvent(JobEvent event) {
  if (event.job == JobKind::Conversion) {
    if (conversionDlg_) conversionDlg_->OnConversionEvent(event.step);
  } else if (progressDlg_) {
    if (event.Ends()) jobEnded_ = true;
    progressDlg_->OnJobEvent(event);
  }
}

void MainWindowFront::PlaySuccessSound(bool waitUntilDone) {
  // Without an audio device PlaySound fails at once; the operation has succeeded all the same.
  ::PlaySoundW(MAKEINTRESOURCEW(IDW_SUCCESS_SOUND), ::GetModuleHandleW(nullptr),
               SND_RESOURCE | SND_NODEFAULT | (waitUntilDone ? SND_SYNC : SND_ASYNC));
}

void MainWindowFront::ShowBadSectorReport(const BadSectorReportModel& report) {
  CBadSectorDlg dialog(dialog_->Context(), report);
  dialog.RunModal(dialog_->Window());
}

std::string MainWindowFront::DescriptionFieldText() { return dialog_->ItemText(IDC_TARGET_DESCRIPTION); }

void MainWindowFront::ShowCommandLineHelp() {
  CCommandLineHelpDlg dialog(dialog_->Context());
  dialog.RunModal(dialog_->Window());
}

void MainWindowFront::ShowSourceImage() { dialog_->Display().ShowSourceImage(); }

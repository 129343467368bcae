#pragma once
// The progress window of a disk job. The job posts its events to the main window, which hands them on here
// (OnJobEvent); the texts come from the job's progress fields. Cancel (the button, Esc or the close box) only
// asks the job to stop: the window stays until the job reports its end.

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/OperationProgress.h"
#include "base/JobEvents.h"
#include "ui/MyDialog.h"

class CProgressDlg : public CMyDialog {
 public:
  CProgressDlg(const DialogContext& context, OperationProgress& progress);

  // Progress and SideFormatted: the texts and bar follow the progress fields; Succeeded ends with 1, Failed
  // with -1. Once cancelling, progress no longer replaces the cancel state.
  void OnJobEvent(JobEvent event);

  bool Cancelling() const { return cancelling_; }

 protected:
  bool OnInitDialog() override;
  void OnCancel() override;

 private:
  void Show(const std::string& status, const std::string& speed, int percent, const std::string& caption);

  OperationProgress& progress_;
  bool cancelling_ = false;
};

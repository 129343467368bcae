#pragma once
// The status window of a conversion: shows what the job is doing and closes when it has finished. The job
// posts its events to the main window, which hands them on here.

#include <windows.h>

#include "base/JobEvents.h"
#include "ui/MyDialog.h"

class CConversionDlg : public CMyDialog {
 public:
  explicit CConversionDlg(const DialogContext& context);

  // The conversion's event (wParam of WM_APP + 3): 1 reading the source, 2 writing the target, 0 finished
  // (the dialog ends with 0).
  void OnConversionEvent(JobStep step);

 protected:
  // A conversion cannot be stopped halfway: Esc leaves the window open.
  void OnCancel() override {}
};

#include "ui/ProgressDlg.h"

#include <commctrl.h>

#include "base/ProgressText.h"
#include "base/Texts.h"
#include "ui/ProgressDlgRes.h"
#include "ui/WideText.h"

CProgressDlg::CProgressDlg(const DialogContext& context, OperationProgress& progress)
    : CMyDialog(IDD_PROGRESS, context), progress_(progress) {}

bool CProgressDlg::OnInitDialog() {
  CMyDialog::OnInitDialog();
  ::SendDlgItemMessageW(Window(), IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, 100);
  ::SendDlgItemMessageW(Window(), IDC_PROGRESS_BAR, PBM_SETSTEP, 1, 0);
  return true;
}

void CProgressDlg::OnCancel() {
  progress_.cancelRequested = true;
  cancelling_ = true;
  Show(kTextCancelling, ReadWindowText(Item(IDC_PROGRESS_SPEED)), 100, kTextCancelledCaption);
}

void CProgressDlg::OnJobEvent(JobEvent event) {
  switch (event.step) {
    case JobStep::Succeeded:
      End(1);
      return;
    case JobStep::Failed:
      End(-1);
      return;
    case JobStep::Progress:
    case JobStep::SideFormatted:
      break;
    default:
      return;
  }
  if (cancelling_) return;
  ProgressTexts texts = DescribeProgress(event, progress_);
  Show(texts.status, texts.speed, static_cast<int>(texts.percent), texts.caption);
}

void CProgressDlg::Show(const std::string& status, const std::string& speed, int percent, const std::string& caption) {
  SetItemText(IDC_PROGRESS_STATUS, status);
  SetItemText(IDC_PROGRESS_SPEED, speed);
  ::SendDlgItemMessageW(Window(), IDC_PROGRESS_BAR, PBM_SETPOS, percent, 0);
  WriteWindowText(Window(), caption);
}

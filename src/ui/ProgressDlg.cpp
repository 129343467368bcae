#include "ui/ProgressDlg.h"

#include <commctrl.h>

#include "base/Format.h"
#include "base/JobEvents.h"
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

void CProgressDlg::OnJobEvent(uint32_t message, uintptr_t wParam) {
  switch (wParam) {
    case kJobSucceeded:
      End(1);
      return;
    case kJobFailed:
      End(-1);
      return;
    case kJobProgress:
    case kJobSideFormatted:
      break;
    default:
      return;
  }
  if (cancelling_) return;
  auto percent = static_cast<int>(progress_.percent.load());
  std::string total = progress_.totalText.Get();
  std::string speed = progress_.speedText.Get();
  unsigned kbDone = progress_.kbDone.load();
  std::string caption = FormatText(kTextProgressCaption, {percent});
  if (wParam == kJobSideFormatted) {
    Show(FormatText(kTextFormattingFloppy, {total}), FormatText(kTextKbFormatted, {kbDone, speed}), percent, caption);
    return;
  }
  int statusId = message == kWriteProgressMessage ? kTextWritingFloppy : kTextReadingFloppy;
  Show(FormatText(TextOf(statusId), {total}), FormatText(TextOf(kTextKbCopied), {kbDone, speed}), percent, caption);
}

void CProgressDlg::Show(const std::string& status, const std::string& speed, int percent, const std::string& caption) {
  SetItemText(IDC_PROGRESS_STATUS, status);
  SetItemText(IDC_PROGRESS_SPEED, speed);
  ::SendDlgItemMessageW(Window(), IDC_PROGRESS_BAR, PBM_SETPOS, percent, 0);
  WriteWindowText(Window(), caption);
}

#pragma once
// The feedback form: a comment with its category, severity and place of use and an optional e-mail
// address, posted to the server with the program's version and the system's. A failed send enables the
// form again with the user's text in it. Cancel ends the form at once, even while a send still runs: the
// send's worker is detached from the form and never touches it afterwards.

#include "base/WindowsMessageBoxes.h"
#include "net/FeedbackForm.h"
#include "net/RequestWorker.h"
#include "ui/MyDialog.h"
#include "win32/InternetServices.h"

class CFeedbackDlg : public CMyDialog {
 public:
  CFeedbackDlg(const DialogContext& context, InternetServices services);

  bool PreTranslateMessage(MSG& message) override;

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnOK() override {}
  void OnCancel() override;
  std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Submit();
  void OnReply();
  void EnableForm(bool on);
  FeedbackEntries Entries() const;

  InternetServices services_;
  WindowsMessageBoxes boxes_;
  RequestWorker worker_;
};

// The running system as the form reports it.
SystemDescription ThisSystem();

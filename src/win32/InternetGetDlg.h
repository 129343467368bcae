#pragma once
// The base of the update and news dialogs: one GET request on a worker thread while the dialog shows
// "正在连接服务器...", then the answer in the dialog's controls. OK, Cancel and the close box close it at
// once, without a message, also while the request still runs (it is aborted); a failure is shown and
// closes the dialog.

#include <cstddef>
#include <string_view>

#include "base/WindowsMessageBoxes.h"
#include "net/RequestWorker.h"
#include "ui/HyperLink.h"
#include "ui/MyDialog.h"
#include "win32/InternetServices.h"

class CInternetGetDlg : public CMyDialog {
 public:
  struct Controls {
    int status;
    int link;
    int group;
    int text;
  };

  CInternetGetDlg(int templateId, const DialogContext& context, InternetServices services, const char* path,
                  std::size_t messageLimit, Controls controls);

  const CHyperLink& Link() const { return link_; }

 protected:
  bool OnInitDialog() override;
  void OnOK() override { CloseByUser(IDOK); }
  void OnCancel() override { CloseByUser(IDCANCEL); }
  std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // The answer's text, on the dialog's thread.
  virtual void ShowAnswer(std::string_view text) = 0;
  // The automatic update check: the request runs before the dialog is shown; a failure shows nothing.
  virtual bool Automatic() const { return false; }

  // Shows the link with caption and address in place of the status line.
  void ShowLink(std::string_view caption, std::string_view address);
  void ShowStatus(std::string_view text);
  void ShowText(std::string_view text);
  IMessageBoxes& Boxes() { return boxes_; }

 private:
  // Runs the request on the worker; postReply: the dialog hears of its end (OnReply).
  bool StartRequest(bool postReply);
  void CloseByUser(INT_PTR result);
  void OnReply();
  // True when the reply could be shown.
  bool Evaluate(const HttpReply& reply, bool report);

  InternetServices services_;
  const char* path_;
  std::size_t messageLimit_;
  Controls controls_;
  WindowsMessageBoxes boxes_;
  CHyperLink link_{boxes_};
  RequestWorker worker_;
};

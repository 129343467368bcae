#include "win32/InternetGetDlg.h"

#include <utility>

#include "base/Texts.h"

namespace {

// Posted by the worker when its request has ended.
constexpr UINT kReplyMessage = WM_APP + 20;
constexpr COLORREF kBlue = RGB(0, 0, 255);

}  // namespace

CInternetGetDlg::CInternetGetDlg(int templateId, const DialogContext& context, InternetServices services,
                                 const char* path, std::size_t messageLimit, Controls controls)
    : CMyDialog(templateId, context),
      services_(std::move(services)),
      path_(path),
      messageLimit_(messageLimit),
      controls_(controls) {}

bool CInternetGetDlg::OnInitDialog() {
  CMyDialog::OnInitDialog();
  boxes_.SetOwner(Window());
  if (!services_.connected()) {
    if (!Automatic()) boxes_.Show(0, kTextNeedInternetConnection, MessageIcon::Information);
    End(IDCANCEL);
    return true;
  }
  link_.Attach(Window(), controls_.link);
  CHyperLink::SetLinkColours(kBlue, kBlue, kBlue, kBlue);
  ::EnableWindow(Item(controls_.text), FALSE);
  ::EnableWindow(Item(controls_.group), FALSE);
  if (Automatic()) {
    std::unique_ptr<IHttpClient> client = services_.makeClient();
    // A failed automatic check ends out of sight like one that found nothing: a window that keeps saying
    // "connecting" at a start-up, when no connection is being made, would only puzzle the user.
    if (!Evaluate(client->Get(services_.server, path_), false)) End(IDCANCEL);
    return true;
  }
  HWND window = Window();
  std::string path = path_;
  ServerAddress server = services_.server;
  bool started = worker_.Start(
      services_.makeClient(), [server, path](IHttpClient& client) { return client.Get(server, path); },
      [window] { ::PostMessageW(window, kReplyMessage, 0, 0); });
  if (!started) {
    boxes_.Show(0, kTextCannotInitInternet, MessageIcon::Error);
    End(IDCANCEL);
  }
  return true;
}

std::optional<LRESULT> CInternetGetDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kReplyMessage) {
    OnReply();
    return 0;
  }
  return CMyDialog::WindowProc(message, wParam, lParam);
}

void CInternetGetDlg::CloseByUser(INT_PTR result) {
  closeResult_ = result;
  worker_.Cancel();
  // A request still running ends the dialog when its worker returns (OnReply).
  if (!worker_.Busy()) End(result);
}

void CInternetGetDlg::OnReply() {
  std::optional<HttpReply> reply = worker_.TakeReply();
  if (worker_.Cancelled() || !reply) {
    End(closeResult_);
    return;
  }
  if (!Evaluate(*reply, true)) End(IDCANCEL);
}

bool CInternetGetDlg::Evaluate(const HttpReply& reply, bool report) {
  if (std::optional<std::string> problem = GetProblem(reply, messageLimit_)) {
    if (report) boxes_.Show(0, *problem, MessageIcon::Error);
    return false;
  }
  ShowAnswer(reply.body.Text());
  ::EnableWindow(Item(controls_.text), TRUE);
  ::EnableWindow(Item(controls_.group), TRUE);
  return true;
}

void CInternetGetDlg::ShowLink(std::string_view caption, std::string_view address) {
  SetItemText(controls_.link, caption);
  link_.SetLinkTarget(address);
  ::ShowWindow(Item(controls_.status), SW_HIDE);
  ::ShowWindow(Item(controls_.link), SW_SHOW);
}

void CInternetGetDlg::ShowStatus(std::string_view text) { SetItemText(controls_.status, text); }

void CInternetGetDlg::ShowText(std::string_view text) { SetItemText(controls_.text, text); }

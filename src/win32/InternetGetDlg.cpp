#include "win32/InternetGetDlg.h"

#include <chrono>
#include <utility>

#include "base/ShownText.h"
#include "base/Texts.h"

namespace {

// Posted by the worker when its request has ended.
constexpr UINT kReplyMessage = WM_APP + 20;
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr std::chrono::seconds kAutomaticCheckTime(5);
// A link is one line of the dialog's width; a longer caption is cut.
constexpr std::size_t kMaxCaptionBytes = 120;

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
    // Start-up waits for the check only this long: a server that stalls or redirects without end neither
    // delays the main window nor shows anything. A failed check ends out of sight like one that found
    // nothing: a window that keeps saying "connecting" at a start-up would only puzzle the user.
    std::optional<HttpReply> reply;
    if (StartRequest(false) && worker_.WaitFor(kAutomaticCheckTime)) reply = worker_.TakeReply();
    worker_.Detach();
    if (!reply || !Evaluate(*reply, false)) End(IDCANCEL);
    return true;
  }
  if (!StartRequest(true)) {
    boxes_.Show(0, kTextCannotInitInternet, MessageIcon::Error);
    End(IDCANCEL);
  }
  return true;
}

bool CInternetGetDlg::StartRequest(bool postReply) {
  HWND window = Window();
  std::string path = path_;
  ServerAddress server = services_.server;
  RequestWorker::Finished finished;
  if (postReply) finished = [window] { ::PostMessageW(window, kReplyMessage, 0, 0); };
  return worker_.Start(
      services_.makeClient(), [server, path](IHttpClient& client) { return client.Get(server, path); },
      std::move(finished));
}

std::optional<LRESULT> CInternetGetDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kReplyMessage) {
    OnReply();
    return 0;
  }
  return CMyDialog::WindowProc(message, wParam, lParam);
}

// The dialog ends at once, whatever its request does: a request still running is aborted and finishes on
// its own, without touching the dialog.
void CInternetGetDlg::CloseByUser(INT_PTR result) {
  worker_.Detach();
  End(result);
}

void CInternetGetDlg::OnReply() {
  std::optional<HttpReply> reply = worker_.TakeReply();
  if (!reply) return;
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
  SetItemText(controls_.link, BoundForControl(caption, kMaxCaptionBytes));
  link_.SetLinkTarget(address);
  ::ShowWindow(Item(controls_.status), SW_HIDE);
  ::ShowWindow(Item(controls_.link), SW_SHOW);
}

void CInternetGetDlg::ShowStatus(std::string_view text) { SetItemText(controls_.status, text); }

void CInternetGetDlg::ShowText(std::string_view text) {
  SetItemText(controls_.text, BoundForControl(text, kMaxResponseBytes));
}

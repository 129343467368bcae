#include "win32/FeedbackDlg.h"

#include <utility>

#include "base/Texts.h"
#include "base/Wide_win32.h"
#include "net/HttpStatus.h"
#include "win32/FeedbackDlgRes.h"

namespace {

constexpr UINT kReplyMessage = WM_APP + 21;

struct ListEntries {
  int id;
  std::initializer_list<const char*> entries;
};

const ListEntries kLists[] = {
    {IDC_FEEDBACK_ABOUT,
     {kTextFeedbackAboutProgram, kTextFeedbackAboutInterface, kTextFeedbackAboutSuggestion, kTextFeedbackAboutError}},
    {IDC_FEEDBACK_PROBLEM,
     {kTextFeedbackProblemNone, kTextFeedbackProblemNotable, kTextFeedbackProblemAnnoying,
      kTextFeedbackProblemUnbearable}},
    {IDC_FEEDBACK_USED, {kTextFeedbackUsedHome, kTextFeedbackUsedWork, kTextFeedbackUsedBoth}},
};

constexpr int kFormControls[] = {
    IDC_FEEDBACK_FORM,        IDC_FEEDBACK_SUBMIT,       IDC_FEEDBACK_ABOUT,        IDC_FEEDBACK_PROBLEM,
    IDC_FEEDBACK_USED,        IDC_FEEDBACK_EMAIL,        IDC_FEEDBACK_COMMENT,      IDC_FEEDBACK_ABOUT_LABEL,
    IDC_FEEDBACK_PROBLEM_LABEL, IDC_FEEDBACK_USED_LABEL, IDC_FEEDBACK_EMAIL_LABEL,  IDC_FEEDBACK_COMMENT_LABEL,
};

}  // namespace

SystemDescription ThisSystem() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  SystemDescription system;
  if (::GetVersionExW(&version)) {
    system.platformId = version.dwPlatformId;
    system.majorVersion = version.dwMajorVersion;
    system.minorVersion = version.dwMinorVersion;
    system.buildNumber = version.dwBuildNumber;
    system.servicePack = Narrow(version.szCSDVersion);
  }
  system.languageId = ::GetSystemDefaultLangID();
  return system;
}

CFeedbackDlg::CFeedbackDlg(const DialogContext& context, InternetServices services)
    : CMyDialog(IDD_FEEDBACK, context), services_(std::move(services)) {}

bool CFeedbackDlg::OnInitDialog() {
  CMyDialog::OnInitDialog();
  boxes_.SetOwner(Window());
  if (!services_.connected()) {
    boxes_.Show(0, kTextNeedInternetConnection, MessageIcon::Information);
    End(IDCANCEL);
    return true;
  }
  for (const ListEntries& list : kLists) {
    for (const char* entry : list.entries) {
      ::SendMessageW(Item(list.id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry).c_str()));
    }
    ::SendMessageW(Item(list.id), CB_SETCURSEL, 0, 0);
  }
  return true;
}

bool CFeedbackDlg::PreTranslateMessage(MSG& message) {
  // Delete in a dropped-down list removes the highlighted entry.
  if (message.message == WM_KEYDOWN && message.wParam == VK_DELETE) {
    for (const ListEntries& list : kLists) {
      HWND combo = Item(list.id);
      if (!::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) continue;
      LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
      if (index != CB_ERR) ::SendMessageW(combo, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
      return true;
    }
  }
  return CMyDialog::PreTranslateMessage(message);
}

bool CFeedbackDlg::OnCommand(int id, int code, HWND control) {
  if (id == IDC_FEEDBACK_SUBMIT && code == BN_CLICKED) {
    Submit();
    return true;
  }
  return CMyDialog::OnCommand(id, code, control);
}

std::optional<LRESULT> CFeedbackDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kReplyMessage) {
    OnReply();
    return 0;
  }
  return CMyDialog::WindowProc(message, wParam, lParam);
}

FeedbackEntries CFeedbackDlg::Entries() const {
  return FeedbackEntries{ItemText(IDC_FEEDBACK_ABOUT), ItemText(IDC_FEEDBACK_PROBLEM), ItemText(IDC_FEEDBACK_USED),
                         ItemText(IDC_FEEDBACK_EMAIL), ItemText(IDC_FEEDBACK_COMMENT)};
}

void CFeedbackDlg::EnableForm(bool on) {
  for (int id : kFormControls) ::EnableWindow(Item(id), on ? TRUE : FALSE);
}

void CFeedbackDlg::Submit() {
  if (worker_.Busy()) return;
  std::optional<std::string> body = FeedbackBody(Entries(), ThisSystem());
  if (!body) {
    boxes_.Show(0, kTextFeedbackCommentEmpty, MessageIcon::None);
    return;
  }
  EnableForm(false);
  HWND window = Window();
  ServerAddress server = services_.server;
  bool started = worker_.Start(
      services_.makeClient(),
      [server, body = std::move(*body)](IHttpClient& client) { return client.Post(server, kFeedbackPath, body); },
      [window] { ::PostMessageW(window, kReplyMessage, 0, 0); });
  if (!started) {
    boxes_.Show(0, kTextCannotInitInternet, MessageIcon::Error);
    EnableForm(true);
  }
}

void CFeedbackDlg::OnReply() {
  std::optional<HttpReply> reply = worker_.TakeReply();
  if (!reply || Ended()) return;
  if (std::optional<std::string> problem = PostProblem(*reply, kFeedbackMessageLimit)) {
    boxes_.Show(0, *problem, MessageIcon::Error);
    EnableForm(true);
    return;
  }
  boxes_.Show(0, kTextFeedbackSent, MessageIcon::Information);
  End(IDOK);
}

void CFeedbackDlg::OnCancel() {
  worker_.Detach();
  End(IDCANCEL);
}

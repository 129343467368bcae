#include "InternetShowcase_win32.h"

#include <memory>

#include "base/Texts.h"
#include "net/Server.h"
#include "support/TestHttpServer.h"
#include "win32/FeedbackDlgRes.h"
#include "win32/MainDlgRes.h"
#include "win32/NewsDlgRes.h"
#include "win32/UpdateDlgRes.h"

namespace scenario {

namespace {

// Serves until the picture is taken: the process ends after that.
TestHttpServer& Server() {
  static std::unique_ptr<TestHttpServer> server = [] {
    auto started = std::make_unique<TestHttpServer>();
    started->Answer(kUpdateFilePath, {200, "OK",
                                      "https://www.kestrix.example/diskelle/diskelle-2.3.0.exe\n$VERSION\n2.3.0\n"
                                      "2.3.0 (2004年6月)\n  - 更快地读取损坏的软盘\n  - 支持 1.68 MB 软盘\n"
                                      "2.2.5 (2004年3月)\n  - 第一个公开版本\n",
                                      {}});
    started->Answer(kNewsFilePath, {200, "OK",
                                    "Diskelle 2.3.0 现已发布\nhttps://www.kestrix.example/diskelle/\n"
                                    "新版本更快地读取损坏的软盘。\r\n\r\n感谢所有发送反馈信息的用户！\n",
                                    {}});
    started->Start();
    return started;
  }();
  return *server;
}

struct ShownWindow {
  robot::MenuItem command;
  const char* caption;
};

}  // namespace

HWND ShowInternetDialog(Workspace& workspace, const std::string& name) {
  ShownWindow shown = name == "update"     ? ShownWindow{kMenuCheckUpdates, kTextUpdateDlgCaption}
                      : name == "news"     ? ShownWindow{kMenuNews, kTextNewsDlgCaption}
                      : name == "feedback" ? ShownWindow{kMenuFeedback, kTextFeedbackDlgCaption}
                                           : ShownWindow{kMenuAbout, kTextAboutCaption};
  robot::Process& process = workspace.Start({}, {{L"DISKELLE_SERVER", Utf16(Server().Address())}});
  HWND main = WaitForMainWindow(process.Id());
  if (!main || !robot::ChooseMenuItem(main, shown.command)) return nullptr;
  HWND dialog = WaitForCaption(process.Id(), Utf16(shown.caption));
  if (!dialog) return nullptr;
  if (name == "update") WaitUntil([&] { return Visible(dialog, IDC_UPDATE_LINK); });
  if (name == "news") WaitUntil([&] { return Visible(dialog, IDC_NEWS_LINK); });
  if (name == "feedback") {
    ::SendMessageW(::GetDlgItem(dialog, IDC_FEEDBACK_ABOUT), CB_SETCURSEL, 2, 0);
    TypeText(dialog, IDC_FEEDBACK_EMAIL, L"wang.wei@example.org");
    TypeText(dialog, IDC_FEEDBACK_COMMENT, L"能否支持 2.88 MB 软盘？\r\n谢谢！");
  }
  return dialog;
}

}  // namespace scenario

// The update check, the news and the feedback form against a web server of the test's own
// ($DISKELLE_SERVER), and the About box: what the user sees, what the server receives.
#include "Scenario_win32.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "base/Texts.h"
#include "net/Server.h"
#include "settings/Settings.h"
#include "support/TestHttpServer.h"
#include "support/TestSockets.h"
#include "win32/AboutDlgRes.h"
#include "win32/FeedbackDlgRes.h"
#include "win32/MainDlgRes.h"
#include "win32/NewsDlgRes.h"
#include "win32/UpdateDlgRes.h"

namespace scenario {
namespace {

using std::chrono::milliseconds;

// What the program follows of a redirect chain before it gives up.
constexpr std::size_t kMaxRedirectsFollowed = 5;


TestHttpAnswer Ok(std::string body, milliseconds delay = milliseconds(0)) {
  return TestHttpAnswer{200, "OK", std::move(body), delay};
}

// An answer sent as it stands.
TestHttpAnswer Raw(std::string bytes) {
  TestHttpAnswer answer;
  answer.raw = std::move(bytes);
  return answer;
}

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// A click on a control as the mouse gives it (button down and up inside it).
void Click(HWND dialog, int id) {
  HWND control = ::GetDlgItem(dialog, id);
  ::PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  ::PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

class Internet : public DiskelleScenario {
 protected:
  Internet() { EXPECT_TRUE(server_.Start()); }

  robot::Process& StartWithServer(const TestHttpServer& server) {
    program_ = &Start({}, {{L"DISKELLE_SERVER", Utf16(server.Address())}});
    process_ = program_->Id();
    return *program_;
  }
  robot::Process& StartWithServer() { return StartWithServer(server_); }

  // diskelle.exe with the test's server, and the dialog that a Help menu command opened.
  HWND Open(robot::MenuItem command, const char* caption) { return Open(server_, command, caption); }
  HWND Open(const TestHttpServer& server, robot::MenuItem command, const char* caption) {
    StartWithServer(server);
    HWND main = WaitForMainWindow(process_);
    if (!main || !robot::ChooseMenuItem(main, command)) return nullptr;
    return WaitForCaption(process_, Utf16(caption));
  }

  void CloseProgram() {
    HWND main = FindMainWindow(process_);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(::PostMessageW(main, WM_CLOSE, 0, 0));
    EXPECT_EQ(WaitForExit(*program_), std::optional<DWORD>(0));
  }

  std::wstring MessageOf(HWND box) { return Text(box, robot::kMessageBoxTextId); }

  bool NoMessageBox() {
    for (HWND window : VisibleWindows(process_)) {
      if (IsMessageBox(window)) return false;
    }
    return true;
  }

  TestHttpServer server_;
  robot::Process* program_ = nullptr;
  DWORD process_ = 0;
};

TEST_F(Internet, UpdateCheckSaysNoUpdateForThisVersion) {
  server_.Answer(kUpdateFilePath, Ok("https://dl.example.org/\n$VERSION\n2.2.5\n  - first release  \n\n"));
  HWND dialog = Open(kMenuCheckUpdates, kTextUpdateDlgCaption);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return Text(dialog, IDC_UPDATE_STATUS) == Utf16(kTextNoUpdateAvailable); }));
  EXPECT_EQ(Text(dialog, IDC_UPDATE_HISTORY), L"2.2.5\r\n  - first release");
  EXPECT_TRUE(Enabled(dialog, IDC_UPDATE_HISTORY));
  EXPECT_TRUE(Enabled(dialog, IDC_UPDATE_HISTORY_GROUP));
  EXPECT_FALSE(Visible(dialog, IDC_UPDATE_LINK));
  std::vector<RecordedRequest> requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].Header("User-Agent"), std::optional<std::string>(kUserAgent));
  ASSERT_TRUE(robot::ClickButton(dialog, IDOK));
  EXPECT_TRUE(robot::WaitUntilClosed(dialog, kWaitMs));
  CloseProgram();
}

TEST_F(Internet, UpdateCheckOffersAnotherVersionAsALinkToItsDownload) {
  server_.Answer(kUpdateFilePath, Ok("https://dl.example.org/diskelle-2.3.0.exe\r\n$VERSION\r\n2.3.0\r\nfaster\r\n"));
  HWND dialog = Open(kMenuCheckUpdates, kTextUpdateDlgCaption);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return Visible(dialog, IDC_UPDATE_LINK); }));
  EXPECT_EQ(Text(dialog, IDC_UPDATE_LINK), L"版本 2.3.0 可用");
  EXPECT_FALSE(Visible(dialog, IDC_UPDATE_STATUS));
  EXPECT_EQ(Text(dialog, IDC_UPDATE_HISTORY), L"2.3.0\r\nfaster");
  EXPECT_TRUE(Contains(robot::ToolTipTexts(dialog), L"https://dl.example.org/diskelle-2.3.0.exe"));
  ASSERT_TRUE(robot::ClickButton(dialog, IDOK));
  EXPECT_TRUE(robot::WaitUntilClosed(dialog, kWaitMs));
  CloseProgram();
}

TEST_F(Internet, AFileWithoutVersionMarkerOffersAnEmptyVersion) {
  server_.Answer(kUpdateFilePath, Ok("https://dl.example.org/\nonly history\n"));
  HWND dialog = Open(kMenuCheckUpdates, kTextUpdateDlgCaption);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return Visible(dialog, IDC_UPDATE_LINK); }));
  EXPECT_EQ(Text(dialog, IDC_UPDATE_LINK), L"版本  可用");
  EXPECT_EQ(Text(dialog, IDC_UPDATE_HISTORY), L"only history");
  ASSERT_TRUE(robot::ClickButton(dialog, IDOK));
  CloseProgram();
}

TEST_F(Internet, ServerErrorIsShownWithItsStatusTextAndClosesTheDialog) {
  server_.Answer(kUpdateFilePath, TestHttpAnswer{404, "Gone Fishing", "", milliseconds(0)});
  HWND dialog = Open(kMenuCheckUpdates, kTextUpdateDlgCaption);
  ASSERT_NE(dialog, nullptr);
  HWND box = WaitForMessageBox(process_);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageOf(box), L"HTTP 请求失败 (404: Gone Fishing)");
  EXPECT_TRUE(MessageBoxHasIcon(box));
  Answer(box, IDOK);
  EXPECT_TRUE(robot::WaitUntilClosed(dialog, kWaitMs));
  CloseProgram();
}

// 确定 and the close box end the window at once, however the server answers, and leave the main window usable.
TEST_F(Internet, UpdateAndNewsCloseAtOnceWhileTheServerStallsOrDrips) {
  const std::string file = "https://dl.example.org/\n$VERSION\n2.3.0\n";
  TestHttpAnswer stalled = Ok(file, milliseconds(120000));
  TestHttpAnswer dripping = Ok(file);
  dripping.dripEvery = milliseconds(1000);
  struct Case {
    robot::MenuItem command;
    const char* caption;
    const char* path;
    const TestHttpAnswer& answer;
    bool closeBox;
  } cases[] = {
      {kMenuCheckUpdates, kTextUpdateDlgCaption, kUpdateFilePath, stalled, false},
      {kMenuNews, kTextNewsDlgCaption, kNewsFilePath, stalled, true},
      {kMenuCheckUpdates, kTextUpdateDlgCaption, kUpdateFilePath, dripping, true},
      {kMenuNews, kTextNewsDlgCaption, kNewsFilePath, dripping, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path) + (c.closeBox ? " close box" : " OK"));
    TestHttpServer server;
    ASSERT_TRUE(server.Start());
    server.Answer(c.path, c.answer);
    HWND dialog = Open(server, c.command, c.caption);
    ASSERT_NE(dialog, nullptr);
    HWND main = FindMainWindow(process_);
    ASSERT_TRUE(WaitUntil([&] { return server.AnswersBegun() == 1; })) << "the server never began to answer";
    ASSERT_TRUE(Enabled(dialog, IDOK));
    if (c.closeBox) {
      ASSERT_TRUE(::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0));
    } else {
      ASSERT_TRUE(robot::ClickButton(dialog, IDOK));
    }
    EXPECT_TRUE(robot::WaitUntilClosed(dialog, kWaitMs)) << "the window never closed";
    EXPECT_EQ(server.AnswersCompleted(), 0) << "the window closed only once the answer had come";
    EXPECT_TRUE(NoMessageBox());
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(main) != FALSE; })) << "the main window never became usable";
    CloseProgram();
  }
}

// Answers that are cut, broken, looping or hostile are failed requests, reported with the usual texts.
TEST_F(Internet, HostileAnswersAreFailedRequests) {
  const std::string file = "https://dl.example.org/\n$VERSION\n2.3.0\n";
  const std::string loop = "HTTP/1.1 302 Found\r\nLocation: " + std::string(kUpdateFilePath) +
                           "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  // Asked in HTTP/1.0, no server may answer in chunks: whether such an answer is whole cannot be told.
  const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n";
  std::wstring longStatus = L"HTTP 请求失败 (500: ";  // cut to 256 characters in lines that fit the screen
  for (int line = 0; line < 4; ++line) longStatus += std::wstring(line ? L"\n" : L"") + std::wstring(64, L'z');
  struct Case {
    const char* name;
    TestHttpAnswer answer;
    std::wstring message;
    std::size_t requests;
  } cases[] = {
      {"redirect loop", Raw(loop), L"HTTP 请求失败 (302: Found)", 1 + kMaxRedirectsFollowed},
      {"cut body", Raw("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nConnection: close\r\n\r\n" + file),
       Utf16(kTextInternetConnectionAborted), 1},
      {"chunked, broken off", Raw(chunked + "40\r\n" + file), Utf16(kTextCannotCompleteTransfer), 1},
      {"chunked, whole", Raw(chunked + "27\r\n" + file + "\r\n0\r\n\r\n"), Utf16(kTextCannotCompleteTransfer), 1},
      {"closed without answer", Raw(""), Utf16(kTextInternetConnectionAborted), 1},
      {"empty body", Ok(""), Utf16(kTextAnswerEmpty), 1},
      {"C1 control", Ok("https://dl.example.org/\n$VERSION\n2.3\xC2\x85\n"), Utf16(kTextAnswerNotText), 1},
      {"bidi override", Ok("https://dl.example.org/\n$VERSION\n2.3.0 \xE2\x80\xAEtxt.exe\n"),
       Utf16(kTextAnswerNotText), 1},
      {"controls in the status", TestHttpAnswer{500, "Bad\x1b[2J\x7f", "", milliseconds(0)},
       L"HTTP 请求失败 (500: Bad\\x1B[2J\\x7F)", 1},
      {"UTF-8 status", TestHttpAnswer{500, "错误", "", milliseconds(0)}, L"HTTP 请求失败 (500: 错误)", 1},
      {"long status", TestHttpAnswer{500, std::string(3000, 'z'), "", milliseconds(0)}, longStatus + L")", 1},
      {"stall after the header", Ok(file, milliseconds(120000)), Utf16(kTextInternetTimeout), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestHttpServer server;
    ASSERT_TRUE(server.Start());
    server.Answer(kUpdateFilePath, c.answer);
    HWND dialog = Open(server, kMenuCheckUpdates, kTextUpdateDlgCaption);
    ASSERT_NE(dialog, nullptr);
    HWND box = WaitForMessageBox(process_);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageOf(box), c.message);
    EXPECT_LE(WindowSize(box).cx, ::GetSystemMetrics(SM_CXSCREEN));
    Answer(box, IDOK);
    EXPECT_TRUE(robot::WaitUntilClosed(dialog, kWaitMs));
    std::vector<RecordedRequest> requests = server.Requests();
    EXPECT_EQ(requests.size(), c.requests);
    for (const RecordedRequest& request : requests) EXPECT_EQ(request.version, "HTTP/1.0") << request.target;
    CloseProgram();
  }
}

TEST_F(Internet, ARedirectIsFollowedOnceAndARedirectedFormIsNotSent) {
  server_.Answer(kUpdateFilePath, Raw("HTTP/1.1 301 Moved\r\nLocation: http://" + server_.Address() +
                                                        "/moved.txt\r\nContent-Length: 0\r\n\r\n"));
  server_.Answer("/moved.txt", Ok("https://dl.example.org/\n$VERSION\n2.3.0\n"));
  server_.Answer(kFeedbackPath, Raw("HTTP/1.1 307 Elsewhere\r\nLocation: /moved.txt\r\n"
                                                      "Content-Length: 0\r\n\r\n"));
  HWND dialog = Open(kMenuCheckUpdates, kTextUpdateDlgCaption);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return Visible(dialog, IDC_UPDATE_LINK); }));
  EXPECT_EQ(Text(dialog, IDC_UPDATE_LINK), L"版本 2.3.0 可用");
  ASSERT_TRUE(robot::ClickButton(dialog, IDOK));
  EXPECT_TRUE(robot::WaitUntilClosed(dialog, kWaitMs));

  HWND main = FindMainWindow(process_);
  ASSERT_TRUE(robot::ChooseMenuItem(main, kMenuFeedback));
  HWND form = WaitForCaption(process_, Utf16(kTextFeedbackDlgCaption));
  ASSERT_NE(form, nullptr);
  ASSERT_TRUE(TypeText(form, IDC_FEEDBACK_COMMENT, L"hello"));
  ASSERT_TRUE(robot::ClickButton(form, IDC_FEEDBACK_SUBMIT));
  HWND box = WaitForMessageBox(process_);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageOf(box), L"HTTP 请求失败 (307: Elsewhere)");
  Answer(box, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return Enabled(form, IDC_FEEDBACK_SUBMIT); })) << "the form stays for another try";
  std::vector<RecordedRequest> requests = server_.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1].target, "/moved.txt");
  EXPECT_EQ(requests[2].method, "POST");
  ASSERT_TRUE(robot::ClickButton(form, IDCANCEL));
  EXPECT_TRUE(robot::WaitUntilClosed(form, kWaitMs));
  CloseProgram();
}

// Nothing new and a server that fails look the same at start-up: no window, the time stored, a week's rest.
TEST_F(Internet, WeeklyCheckStaysSilentWhenNothingIsNewOrTheServerFailsAndStoresItsTime) {
  const TestHttpAnswer answers[] = {Ok("https://dl.example.org/\n$VERSION\n2.2.5\n"),
                                    TestHttpAnswer{404, "Not Found", "", milliseconds(0)}};
  for (const TestHttpAnswer& answer : answers) {
    SCOPED_TRACE(answer.status);
    LeaveWeeklyCheckToProgram();
    StoreSetting(L"LastUpdate", DWORD{0});
    server_.Answer(kUpdateFilePath, answer);
    std::size_t requests = server_.Requests().size();
    auto before = static_cast<DWORD>(std::time(nullptr));
    process_ = StartWithServer().Id();
    ASSERT_NE(WaitForMainWindow(process_), nullptr);
    EXPECT_EQ(server_.Requests().size(), requests + 1);
    EXPECT_EQ(robot::FindTopLevel(process_, kDialogClass, Utf16(kTextUpdateDlgCaption)), nullptr);
    EXPECT_TRUE(NoMessageBox());
    std::optional<DWORD> stored = StoredSetting(kSettingsKey, L"LastUpdate");
    ASSERT_TRUE(stored);
    EXPECT_GE(*stored, before);
    CloseProgram();
  }
}

// A server that stalls, loops or breaks off delays the start by a few seconds at most, and shows nothing.
TEST_F(Internet, WeeklyCheckNeverHoldsUpTheStart) {
  const std::string loop = "HTTP/1.1 302 Found\r\nLocation: " + std::string(kUpdateFilePath) +
                           "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  TestHttpAnswer stalled = Ok("https://dl.example.org/\n$VERSION\n2.3.0\n", milliseconds(120000));
  TestHttpAnswer looping = Raw(loop);
  TestHttpAnswer dropped = Raw("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nhttps://dl.example.org/\n$VERSION\n2.3.0\n");
  for (const TestHttpAnswer* answer : {&stalled, &looping, &dropped}) {
    SCOPED_TRACE(answer->raw.value_or("stalled").substr(0, 20));
    TestHttpServer server;
    ASSERT_TRUE(server.Start());
    server.Answer(kUpdateFilePath, *answer);
    LeaveWeeklyCheckToProgram();
    StoreSetting(L"LastUpdate", DWORD{0});
    ULONGLONG start = ::GetTickCount64();
    StartWithServer(server);
    ASSERT_NE(WaitForMainWindow(process_), nullptr);
    EXPECT_LT(::GetTickCount64() - start, 12000u) << "the main window came late";
    EXPECT_LE(server.Requests().size(), 1 + kMaxRedirectsFollowed);
    EXPECT_EQ(robot::FindTopLevel(process_, kDialogClass, Utf16(kTextUpdateDlgCaption)), nullptr);
    EXPECT_TRUE(NoMessageBox());
    CloseProgram();
  }
}

TEST_F(Internet, WeeklyCheckShowsAnotherVersionBeforeTheMainWindow) {
  LeaveWeeklyCheckToProgram();
  StoreSetting(L"LastUpdate", static_cast<DWORD>(std::time(nullptr) - 604800));
  server_.Answer(kUpdateFilePath, Ok("https://dl.example.org/\n$VERSION\n2.3.0\n"));
  process_ = StartWithServer().Id();
  HWND dialog = WaitForCaption(process_, Utf16(kTextUpdateDlgCaption));
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(Visible(dialog, IDC_UPDATE_LINK));
  EXPECT_EQ(Text(dialog, IDC_UPDATE_LINK), L"版本 2.3.0 可用");
  EXPECT_EQ(FindMainWindow(process_), nullptr);
  ASSERT_TRUE(robot::ClickButton(dialog, IDOK));
  ASSERT_NE(WaitForMainWindow(process_), nullptr);
  EXPECT_GT(StoredSetting(kSettingsKey, L"LastUpdate").value_or(0), std::time(nullptr) - 600);
  CloseProgram();
}

TEST_F(Internet, WeeklyCheckWaitsAWholeWeek) {
  LeaveWeeklyCheckToProgram();
  auto recent = static_cast<DWORD>(std::time(nullptr) - 604700);
  StoreSetting(L"LastUpdate", recent);
  process_ = StartWithServer().Id();
  ASSERT_NE(WaitForMainWindow(process_), nullptr);
  EXPECT_TRUE(server_.Requests().empty());
  EXPECT_EQ(StoredSetting(kSettingsKey, L"LastUpdate"), std::optional<DWORD>(recent));
  CloseProgram();
}

TEST_F(Internet, NewsShowTheirLinkAndMessage) {
  server_.Answer(kNewsFilePath, Ok("New: Diskelle 2.3.0\nhttps://news.example.org/\nVersion 2.3.0\nreads faster.\n\n"));
  HWND dialog = Open(kMenuNews, kTextNewsDlgCaption);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return Visible(dialog, IDC_NEWS_LINK); }));
  EXPECT_EQ(Text(dialog, IDC_NEWS_LINK), L"New: Diskelle 2.3.0");
  EXPECT_TRUE(Contains(robot::ToolTipTexts(dialog), L"https://news.example.org/"));
  EXPECT_EQ(Text(dialog, IDC_NEWS_MESSAGE), L"Version 2.3.0\r\nreads faster.");
  EXPECT_TRUE(Enabled(dialog, IDC_NEWS_MESSAGE));
  ASSERT_TRUE(robot::ClickButton(dialog, IDOK));
  CloseProgram();
}

TEST_F(Internet, NewsWithoutLinkSayTheConnectionWorks) {
  server_.Answer(kNewsFilePath, Ok("n/a\n\nHello\r\nWorld\r\n"));
  HWND dialog = Open(kMenuNews, kTextNewsDlgCaption);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return Text(dialog, IDC_NEWS_STATUS) == Utf16(kTextConnectionEstablished); }));
  EXPECT_FALSE(Visible(dialog, IDC_NEWS_LINK));
  EXPECT_EQ(Text(dialog, IDC_NEWS_MESSAGE), L"Hello\r\nWorld");
  ASSERT_TRUE(robot::ClickButton(dialog, IDOK));
  CloseProgram();
}

// Addresses that would start a program or open a local file are never handed to the system.
TEST_F(Internet, LinksRefuseAddressesThatAreNotWebOrMail) {
  struct Case {
    robot::MenuItem command;
    const char* caption;
    const char* path;
    const char* file;
    int link;
  };
  const Case cases[] = {
      {kMenuNews, kTextNewsDlgCaption, kNewsFilePath, "Open me\nfile:///C:/windows/system32/calc.exe\nx\n", IDC_NEWS_LINK},
      {kMenuCheckUpdates, kTextUpdateDlgCaption, kUpdateFilePath, "\"x\" & calc\n$VERSION\n2.3.0\n", IDC_UPDATE_LINK},
  };
  for (const Case& c : cases) {
    server_.Answer(c.path, Ok(c.file));
    HWND dialog = Open(c.command, c.caption);
    ASSERT_NE(dialog, nullptr) << c.file;
    ASSERT_TRUE(WaitUntil([&] { return Visible(dialog, c.link); })) << c.file;
    for (const std::wstring& tip : robot::ToolTipTexts(dialog)) EXPECT_EQ(tip.find(L"calc"), std::wstring::npos);
    Click(dialog, c.link);
    HWND box = WaitForMessageBox(process_);
    ASSERT_NE(box, nullptr) << c.file;
    EXPECT_EQ(MessageOf(box), L"不能打开链接:\n\n这个地址不是网页或电子邮件地址。");
    Answer(box, IDOK);
    EXPECT_TRUE(::IsWindow(dialog)) << "the dialog stays open";
    ASSERT_TRUE(robot::ClickButton(dialog, IDOK));
    CloseProgram();
  }
}

TEST_F(Internet, FeedbackRefusesABlankComment) {
  HWND dialog = Open(kMenuFeedback, kTextFeedbackDlgCaption);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Text(dialog, IDC_FEEDBACK_ABOUT), Utf16(kTextFeedbackAboutProgram));
  ASSERT_TRUE(TypeText(dialog, IDC_FEEDBACK_COMMENT, L"  \r\n \t\r\n"));
  ASSERT_TRUE(robot::ClickButton(dialog, IDC_FEEDBACK_SUBMIT));
  HWND box = WaitForMessageBox(process_);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageOf(box), Utf16(kTextFeedbackCommentEmpty));
  EXPECT_FALSE(MessageBoxHasIcon(box));
  Answer(box, IDOK);
  EXPECT_TRUE(Enabled(dialog, IDC_FEEDBACK_SUBMIT));
  EXPECT_TRUE(server_.Requests().empty());
  ASSERT_TRUE(robot::ClickButton(dialog, IDCANCEL));
  EXPECT_TRUE(robot::WaitUntilClosed(dialog, kWaitMs));
  CloseProgram();
}

TEST_F(Internet, FeedbackIsResentAfterAFailureWithTheUsersTextKept) {
  server_.Answer(kFeedbackPath, TestHttpAnswer{500, "Server Broke", "", milliseconds(0)});
  HWND dialog = Open(kMenuFeedback, kTextFeedbackDlgCaption);
  ASSERT_NE(dialog, nullptr);
  ::SendMessageW(::GetDlgItem(dialog, IDC_FEEDBACK_ABOUT), CB_SETCURSEL, 3, 0);
  ::SendMessageW(::GetDlgItem(dialog, IDC_FEEDBACK_PROBLEM), CB_SETCURSEL, 2, 0);
  ::SendMessageW(::GetDlgItem(dialog, IDC_FEEDBACK_USED), CB_SETCURSEL, 1, 0);
  ASSERT_TRUE(TypeText(dialog, IDC_FEEDBACK_EMAIL, L" me@example.org "));
  const std::wstring comment = L"Line 1\r\nLine 2 & 100%\r\n";
  ASSERT_TRUE(TypeText(dialog, IDC_FEEDBACK_COMMENT, comment));
  ASSERT_TRUE(robot::ClickButton(dialog, IDC_FEEDBACK_SUBMIT));
  HWND box = WaitForMessageBox(process_);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageOf(box), L"HTTP 请求失败 (500: Server Broke)");
  EXPECT_TRUE(MessageBoxHasIcon(box));
  Answer(box, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_FEEDBACK_SUBMIT) && Enabled(dialog, IDC_FEEDBACK_COMMENT); }));
  EXPECT_EQ(Text(dialog, IDC_FEEDBACK_COMMENT), comment);

  server_.Answer(kFeedbackPath, Ok(""));
  ASSERT_TRUE(robot::ClickButton(dialog, IDC_FEEDBACK_SUBMIT));
  box = WaitForMessageBox(process_);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageOf(box), Utf16(kTextFeedbackSent));
  Answer(box, IDOK);
  EXPECT_TRUE(robot::WaitUntilClosed(dialog, kWaitMs));

  std::vector<RecordedRequest> requests = server_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  for (const RecordedRequest& request : requests) {
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, kFeedbackPath);
    EXPECT_EQ(request.Header("Content-Type"), std::optional<std::string>("application/x-www-form-urlencoded"));
    EXPECT_TRUE(request.body.starts_with("app_name=Diskelle&app_version=2.2.5&ostype=Windows NT&version="))
        << request.body;
    EXPECT_TRUE(request.body.ends_with("&about=%E9%94%99%E8%AF%AF&problem=%E4%BB%A4%E4%BA%BA%E7%83%A6%E6%81%BC"
                                       "&used=%E5%B7%A5%E4%BD%9C%E4%B8%AD&email=me%40example.org"
                                       "&comment=Line%201\nLine%202%20%26%20100%25"))
        << request.body;
  }
  EXPECT_EQ(requests[0].body, requests[1].body);
  CloseProgram();
}

// The form ends at once; its send, still waiting for a server that never answers, ends later without
// touching it.
TEST_F(Internet, CancelDuringASendEndsTheFormAtOnce) {
  uint16_t port = 0;
  TestSocket silent = ListenOnLoopback(port);  // accepts nothing: the request waits for an answer
  ASSERT_NE(silent, kNoSocket);
  process_ = Start({}, {{L"DISKELLE_SERVER", L"127.0.0.1:" + std::to_wstring(port)}}).Id();
  HWND main = WaitForMainWindow(process_);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(robot::ChooseMenuItem(main, kMenuFeedback));
  HWND dialog = WaitForCaption(process_, Utf16(kTextFeedbackDlgCaption));
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(TypeText(dialog, IDC_FEEDBACK_COMMENT, L"slow"));
  ASSERT_TRUE(robot::ClickButton(dialog, IDC_FEEDBACK_SUBMIT));
  ASSERT_TRUE(WaitUntil([&] { return !Enabled(dialog, IDC_FEEDBACK_COMMENT); })) << "the form never waited for the send";
  ASSERT_TRUE(WaitReadable(silent, kWaitCeiling)) << "the send never reached the server";
  ASSERT_TRUE(robot::ClickButton(dialog, IDCANCEL));
  EXPECT_TRUE(robot::WaitUntilClosed(dialog)) << "the form never closed while the send waited";
  EXPECT_TRUE(NoMessageBox());
  CloseTestSocket(silent);  // the send fails now, with nobody left to tell
  EXPECT_FALSE(WaitUntil([&] { return !NoMessageBox(); }, robot::kQuietMs)) << "the failed send showed a message";
  ASSERT_TRUE(::PostMessageW(main, WM_CLOSE, 0, 0));
  EXPECT_TRUE(WaitUntil([&] { return FindMainWindow(process_) == nullptr; }));
}

TEST_F(Internet, AServerThatCannotBeReachedIsReportedAsSuch) {
  uint16_t port = 0;
  TestSocket closed = ListenOnLoopback(port);
  ASSERT_NE(closed, kNoSocket);
  CloseTestSocket(closed);  // nothing listens there any more
  process_ = Start({}, {{L"DISKELLE_SERVER", L"127.0.0.1:" + std::to_wstring(port)}}).Id();
  HWND main = WaitForMainWindow(process_);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(robot::ChooseMenuItem(main, kMenuNews));
  HWND dialog = WaitForCaption(process_, Utf16(kTextNewsDlgCaption));
  ASSERT_NE(dialog, nullptr);
  HWND box = WaitForMessageBox(process_);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageOf(box), Utf16(kTextInternetCannotConnect));
  Answer(box, IDOK);
  EXPECT_TRUE(robot::WaitUntilClosed(dialog, kWaitMs));
  ASSERT_TRUE(::PostMessageW(main, WM_CLOSE, 0, 0));
  EXPECT_TRUE(WaitUntil([&] { return FindMainWindow(process_) == nullptr; }));
}

// Wine's own switch for a program's libraries: without WININET.DLL the program is on a system whose
// Internet Explorer is too old. Removed again however the scenario ends.
class WinInetDisabled {
 public:
  WinInetDisabled() {
    ok_ = ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"wininet", REG_SZ, L"", sizeof(wchar_t)) == ERROR_SUCCESS;
  }
  ~WinInetDisabled() { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\diskelle.exe"); }
  bool Ok() const { return ok_; }

 private:
  static constexpr wchar_t kKey[] = L"Software\\Wine\\AppDefaults\\diskelle.exe\\DllOverrides";
  bool ok_ = false;
};

TEST_F(Internet, WithoutWinInetTheThreeCommandsAskForANewerInternetExplorer) {
  WinInetDisabled disabled;
  ASSERT_TRUE(disabled.Ok());
  process_ = StartWithServer().Id();
  HWND main = WaitForMainWindow(process_);
  ASSERT_NE(main, nullptr);
  for (robot::MenuItem command : {kMenuCheckUpdates, kMenuNews, kMenuFeedback}) {
    SCOPED_TRACE(static_cast<char>(command.item));
    ASSERT_TRUE(robot::ChooseMenuItem(main, command));
    HWND box = WaitForMessageBox(process_);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageOf(box), Utf16(TextOf(kTextNeedNewerIE)));
    Answer(box, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return NoMessageBox(); }));
  }
  EXPECT_TRUE(server_.Requests().empty());
  CloseProgram();
}

TEST_F(Internet, AboutBoxShowsVersionDateAndTheVendorsLinks) {
  HWND about = Open(kMenuAbout, kTextAboutCaption);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(Text(about, IDC_ABOUT_NAME), L"Diskelle 2.2.5");
  EXPECT_EQ(Text(about, IDC_ABOUT_DATE), L"2004年3月5日");
  EXPECT_EQ(Text(about, IDC_ABOUT_MAIL), Utf16(kTextVendorSupportAddress));
  EXPECT_EQ(Text(about, IDC_ABOUT_WEB), Utf16(kTextVendorWebAddress));
  EXPECT_TRUE(Visible(about, IDC_ABOUT_MAIL));
  EXPECT_TRUE(Visible(about, IDC_ABOUT_WEB));
  std::vector<std::wstring> tips = robot::ToolTipTexts(about);
  EXPECT_TRUE(Contains(tips, Utf16(kTextVendorWebAddress)));
  EXPECT_TRUE(Contains(tips, L"mailto:" + Utf16(kTextVendorSupportAddress)));
  EXPECT_EQ(::GetWindow(about, GW_OWNER), nullptr) << "the About box has no parent";
  // Tab reaches both links, as it reaches every control a person can use.
  std::vector<int> focused;
  for (int press = 0; press < 4; ++press) {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    HWND before = ::GetGUIThreadInfo(::GetWindowThreadProcessId(about, nullptr), &thread) ? thread.hwndFocus : nullptr;
    ASSERT_TRUE(PressKey(before ? before : about, VK_TAB));
    ASSERT_TRUE(WaitUntil([&] {
      return ::GetGUIThreadInfo(::GetWindowThreadProcessId(about, nullptr), &thread) && thread.hwndFocus != before;
    })) << "Tab never moved the focus";
    focused.push_back(::GetDlgCtrlID(thread.hwndFocus));
  }
  EXPECT_NE(std::find(focused.begin(), focused.end(), IDC_ABOUT_MAIL), focused.end());
  EXPECT_NE(std::find(focused.begin(), focused.end(), IDC_ABOUT_WEB), focused.end());
  ASSERT_TRUE(::PostMessageW(about, WM_CLOSE, 0, 0));
  EXPECT_TRUE(robot::WaitUntilClosed(about, kWaitMs));
  CloseProgram();
}

}  // namespace
}  // namespace scenario

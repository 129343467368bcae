// A second start while diskelle.exe runs: the running window takes the image, or refuses with 57695 what
// it cannot take; the second process never opens a window of its own.
#include "Scenario_win32.h"

#include "base/Texts.h"
#include "support/ImageTestSupport.h"
#include "ui/ProgressDlgRes.h"
#include "win32/MainDlgRes.h"

namespace scenario {
namespace {

class SingleInstance : public DiskelleScenario {
 protected:
  // The first instance, interactive and shown.
  HWND StartFirst(robot::Process*& first) {
    first = &Start({});
    return WaitForMainWindow(first->Id());
  }
  void CloseFirst(const robot::Process& first, HWND main) {
    ASSERT_TRUE(::PostMessageW(main, WM_CLOSE, 0, 0));
    EXPECT_EQ(WaitForExit(first), std::optional<DWORD>(0));
  }
  // The running instance's refusal: 57695 without an icon, answered.
  void ExpectRefusal(const robot::Process& first) {
    HWND box = WaitForMessageBox(first.Id());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Text(box, robot::kMessageBoxTextId), Utf16(TextOf(kTextCloseFirstInstance)));
    EXPECT_FALSE(MessageBoxHasIcon(box)) << "57695 shows no icon";
    Answer(box, IDOK);
  }
};

TEST_F(SingleInstance, ASecondStartHandsItsImageToTheRunningWindow) {
  InsertFloppy();
  std::string path = MakeImage("第二 个.img", FloppyBytes(1474560, 2), "交给第一个");
  robot::Process* first = nullptr;
  HWND main = StartFirst(first);
  ASSERT_NE(main, nullptr);

  // Started from the image's own folder with a relative path: the running window is elsewhere.
  wchar_t previous[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(::SetCurrentDirectoryW(WidePath("").c_str()));
  robot::Process& second = Start({L"第二 个.img"});
  ::SetCurrentDirectoryW(previous);
  EXPECT_EQ(WaitForExit(second), std::optional<DWORD>(0));

  EXPECT_EQ(Text(main, IDC_SOURCE_PATH), Utf16(path));
  EXPECT_EQ(Text(main, IDC_SOURCE_DESCRIPTION), L"交给第一个");
  EXPECT_EQ(Text(main, IDC_GEOMETRY), L"18 扇区/磁轨，80 个磁轨 (1440 kB)");
  EXPECT_TRUE(Enabled(main, IDC_WRITE_START));
  EXPECT_TRUE(VisibleWindows(second.Id()).empty());
  CloseFirst(*first, main);
}

// A first start is given its path in full too: what it shows and works on is the file the user meant.
TEST_F(SingleInstance, AFirstStartShowsARelativePathInFullAsAHandoverDoes) {
  InsertFloppy();
  std::string path = MakeImage("相对 路径.img", FloppyBytes(1474560, 5), "");
  wchar_t previous[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(::SetCurrentDirectoryW(WidePath("").c_str()));
  robot::Process& first = Start({L"相对 路径.img"});
  ::SetCurrentDirectoryW(previous);
  HWND main = WaitForMainWindow(first.Id());
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(Text(main, IDC_SOURCE_PATH), Utf16(path));
  CloseFirst(first, main);
}

TEST_F(SingleInstance, ASecondStartWithoutArgumentsOnlyBringsTheRunningWindowForward) {
  InsertFloppy();
  std::string path = MakeImage("已加载.img", FloppyBytes(1474560, 3), "");
  robot::Process& first = Start({Utf16(path)});
  HWND main = WaitForMainWindow(first.Id());
  ASSERT_NE(main, nullptr);
  robot::Process& second = Start({});
  EXPECT_EQ(WaitForExit(second), std::optional<DWORD>(0));
  EXPECT_EQ(Text(main, IDC_SOURCE_PATH), Utf16(path)) << "the loaded image stays";
  EXPECT_EQ(WaitForDialog(first.Id(), IsMessageBox, 0), nullptr);
  CloseFirst(first, main);
}

TEST_F(SingleInstance, ASecondCommandLineIsRefusedAndNothingIsWritten) {
  InsertFloppy();
  std::string before = FloppyFileBytes();
  std::string path = MakeImage("a.img", FloppyBytes(1474560, 4), "");
  robot::Process* first = nullptr;
  HWND main = StartFirst(first);
  ASSERT_NE(main, nullptr);
  robot::Process& second = Start({L"/i", Utf16(path), L"/w"});
  ExpectRefusal(*first);
  EXPECT_EQ(WaitForExit(second), std::optional<DWORD>(1)) << "the write asked for was not done";
  EXPECT_EQ(Text(main, IDC_SOURCE_PATH), L"");
  CloseFirst(*first, main);
  EXPECT_EQ(FloppyFileBytes(), before);
}

TEST_F(SingleInstance, ARunningReadKeepsItsImageWhenASecondStartHandsOverAnother) {
  InsertFloppy();
  std::string other = MakeImage("别的.img", FloppyBytes(1474560, 6), "");
  std::string otherBytes = ReadWhole(other);
  std::string target = Path("读出.img");
  // About ten seconds for the read: the second start must reach the first while it reads, also on a busy machine.
  robot::Process& first = Start({L"/r", L"/o", Utf16(target)}, {{L"DISKELLE_DRIVE_DELAY_MS", L"60"}});
  ASSERT_NE(WaitForDialog(first.Id(), [](HWND w) { return ::GetDlgItem(w, IDC_PROGRESS_STATUS) != nullptr; }), nullptr);
  robot::Process& second = Start({Utf16(other)});
  HWND box = WaitForMessageBox(first.Id());
  ASSERT_NE(box, nullptr);
  // The read finishes while the refusal is still open; dismissing it must let the run end.
  ASSERT_TRUE(WaitUntil([&] { return ReadWhole(target).size() == 1474560 + 1024; }));
  EXPECT_EQ(Text(box, robot::kMessageBoxTextId), Utf16(TextOf(kTextCloseFirstInstance)));
  Answer(box, IDOK);
  EXPECT_EQ(WaitForExit(second), std::optional<DWORD>(1));
  EXPECT_EQ(WaitForExit(first), std::optional<DWORD>(0));
  EXPECT_EQ(ReadWhole(other), otherBytes) << "the image handed over must not be read into";
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"a.vfd", "别的.img", "读出.img"}));
}

}  // namespace
}  // namespace scenario

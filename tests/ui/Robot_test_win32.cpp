// The robot driver against this program's own showcase mode, run as a second process: each capability that
// scenario tests rely on.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "base/Texts.h"
#include "support/Robot_win32.h"
#include "ui/WideText.h"
#include "win32/BadSectorDlgRes.h"
#include "win32/CommandLineHelpDlgRes.h"
#include "win32/DescriptionDlgRes.h"

namespace {

using robot::kWaitMs;
const std::wstring kDialogClass = L"#32770";

std::wstring ThisProgram() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

class RobotTest : public ::testing::Test {
 protected:
  // Starts the showcase of one dialog and waits for its window.
  HWND Show(const std::wstring& name, const std::wstring& caption,
            const std::vector<std::pair<std::wstring, std::wstring>>& environment = {}) {
    process_ = robot::Process::Start(ThisProgram(), {L"--showcase", name}, environment);
    if (!process_) return nullptr;
    return robot::WaitForTopLevel(process_->Id(), kDialogClass, caption, kWaitMs);
  }
  void TearDown() override {
    if (process_ && !process_->WaitForExit(0)) process_->Kill();
  }

  std::optional<robot::Process> process_;
};

TEST_F(RobotTest, ReadsControlTextsPressesAButtonAndGetsTheExitCode) {
  HWND help = Show(L"help", Wide(kTextHelpCaption));
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(robot::ControlText(help, IDC_HELP_FIRST_LINE), Wide(kTextHelpUsage));
  EXPECT_EQ(robot::TextOf(help), Wide(kTextHelpCaption));
  EXPECT_EQ(robot::FindTopLevel(process_->Id(), kDialogClass, L"没有这个窗口"), nullptr);
  ASSERT_TRUE(robot::ClickButton(help, IDOK));
  EXPECT_TRUE(robot::WaitUntilClosed(help, kWaitMs));
  EXPECT_EQ(process_->WaitForExit(kWaitMs), std::optional<DWORD>(IDOK));
}

TEST_F(RobotTest, PassesTheEnvironmentAndSendsCommands) {
  HWND dialog = Show(L"description", Wide(kTextDescriptionDlgCaption),
                     {{L"DISKELLE_SHOWCASE_DESCRIPTION", L"机器人写的描述"}, {L"DISKELLE_SHOWCASE_PATH", L"D:\\盘.img"}});
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(robot::ControlText(dialog, IDC_DESCRIPTION_TEXT), L"机器人写的描述");
  EXPECT_EQ(robot::ControlText(dialog, IDC_DESCRIPTION_PATH), L"D:\\盘.img");
  ASSERT_TRUE(robot::PostCommand(dialog, IDCANCEL));
  EXPECT_EQ(process_->WaitForExit(kWaitMs), std::optional<DWORD>(IDCANCEL));
}

TEST_F(RobotTest, ReadsTheRowsOfAListViewInTheOtherProcess) {
  HWND report = Show(L"report", Wide(kTextReportCaption));
  ASSERT_NE(report, nullptr);
  auto rows = robot::ListViewRows(::GetDlgItem(report, IDC_BAD_LIST));
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[0], (std::vector<std::wstring>{L"1 / 0 字节 (0.0 kB)", L"高"}));
  EXPECT_EQ(rows[3], (std::vector<std::wstring>{L"38 / 18944 字节 (18.5 kB)", L"低"}));
  EXPECT_EQ(rows[5], (std::vector<std::wstring>{L"2848 / 1457664 字节 (1423.5 kB)", L"低"}));
  robot::ClickButton(report, IDOK);
  EXPECT_EQ(process_->WaitForExit(kWaitMs), std::optional<DWORD>(IDOK));
}

TEST_F(RobotTest, ReadsAMessageBoxAndAnswersIt) {
  HWND box = Show(L"message", Wide(TextOf(kTextAppTitle)), {{L"DISKELLE_SHOWCASE_MESSAGE", L"要覆写软盘吗?"}});
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(robot::ControlText(box, robot::kMessageBoxTextId), L"要覆写软盘吗?");
  ASSERT_TRUE(robot::PostCommand(box, IDYES));
  EXPECT_TRUE(robot::WaitUntilClosed(box, kWaitMs));
  EXPECT_EQ(process_->WaitForExit(kWaitMs), std::optional<DWORD>(IDYES));
}

TEST_F(RobotTest, WaitingForAWindowThatNeverComesGivesUp) {
  process_ = robot::Process::Start(ThisProgram(), {L"--showcase", L"no-such-dialog"});
  ASSERT_TRUE(process_);
  EXPECT_EQ(robot::WaitForTopLevel(process_->Id(), kDialogClass, L"命令行帮助", 300), nullptr);
  EXPECT_EQ(process_->WaitForExit(kWaitMs), std::optional<DWORD>(2));
}

}  // namespace

// The main window as a user finds it: empty on a fresh start, with an image given on the command line,
// in both sizes, and deaf to Esc.
#include "Scenario_win32.h"

#include "base/Format.h"
#include "base/Texts.h"
#include "support/ImageTestSupport.h"
#include "win32/MainDlgRes.h"

namespace scenario {
namespace {

class MainWindow : public DiskelleScenario {
 protected:
  // Closes the window with its close box: an interactive run ends with 0.
  void Close(const robot::Process& process, HWND main) {
    ASSERT_TRUE(::PostMessageW(main, WM_CLOSE, 0, 0));
    EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
  }
};

constexpr int kReadHalf[] = {IDC_TARGET_PATH, IDC_READ_START};
constexpr int kWriteHalf[] = {IDC_SOURCE_PATH, IDC_WRITE_START};
constexpr int kPanel[] = {IDC_INFO_GROUP, IDC_GEOMETRY_LABEL, IDC_CHECKSUM_LABEL, IDC_FREE_SPACE_LABEL,
                          IDC_TOTAL_SIZE_LABEL, IDC_GEOMETRY, IDC_CHECKSUM, IDC_FREE_SPACE, IDC_TOTAL_SIZE,
                          IDC_CONVERT, IDC_INTEGRITY};
constexpr int kValues[] = {IDC_GEOMETRY, IDC_CHECKSUM, IDC_FREE_SPACE, IDC_TOTAL_SIZE};

bool HasFormIcon(HWND main) {
  return ::SendDlgItemMessageW(main, IDC_FORM_ICON, STM_GETICON, 0, 0) != 0;
}

TEST_F(MainWindow, AFreshStartShowsBothHalvesEmptyAndTheIndicatorsAsStored) {
  struct Case {
    DWORD emergency, compatible;
  } cases[] = {{0, 0}, {1, 0}, {0, 1}};
  InsertFloppy();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "Emergency=" << c.emergency << " Compatible=" << c.compatible);
    StoreSetting(L"Emergency", c.emergency);
    StoreSetting(L"Compatible", c.compatible);
    robot::Process& process = Start({});
    HWND main = WaitForMainWindow(process.Id());
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(robot::TextOf(main), L"Diskelle");
    for (int id : kReadHalf) EXPECT_FALSE(Enabled(main, id)) << id;
    for (int id : kWriteHalf) EXPECT_FALSE(Enabled(main, id)) << id;
    for (int id : kPanel) EXPECT_FALSE(Enabled(main, id)) << id;
    for (int id : {IDC_TARGET_PATH, IDC_SOURCE_PATH}) EXPECT_EQ(Text(main, id), L"") << id;
    for (int id : kValues) EXPECT_EQ(Text(main, id), L"") << id;
    EXPECT_FALSE(Visible(main, IDC_TARGET_DESCRIPTION));
    EXPECT_FALSE(Visible(main, IDC_SOURCE_DESCRIPTION));
    EXPECT_FALSE(HasFormIcon(main));
    EXPECT_TRUE(Enabled(main, IDC_CHOOSE_TARGET));
    EXPECT_TRUE(Enabled(main, IDC_CHOOSE_SOURCE));
    EXPECT_EQ(Enabled(main, IDC_EMERGENCY_INDICATOR), c.emergency != 0);
    EXPECT_EQ(Enabled(main, IDC_COMPATIBLE_INDICATOR), c.compatible != 0);
    Close(process, main);
  }
}

TEST_F(MainWindow, AnImageGivenAsTheOnlyArgumentIsShownAsTheSource) {
  std::string before = (InsertFloppy(), FloppyFileBytes());
  std::string raw = FloppyBytes(1474560, 7);
  std::string path = MakeImage("启动 盘.img", raw, "系统 启动盘");
  robot::Process& process = Start({Utf16(path)});
  HWND main = WaitForMainWindow(process.Id());
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(Text(main, IDC_SOURCE_PATH), Utf16(path));
  EXPECT_TRUE(Visible(main, IDC_SOURCE_DESCRIPTION));
  EXPECT_EQ(Text(main, IDC_SOURCE_DESCRIPTION), L"系统 启动盘");
  EXPECT_EQ(Text(main, IDC_GEOMETRY), L"18 扇区/磁轨，80 个磁轨 (1440 kB)");
  EXPECT_EQ(Text(main, IDC_CHECKSUM), Utf16(FormatText("0x%X", {ReferenceCrc(raw)})));
  EXPECT_EQ(Text(main, IDC_FREE_SPACE), L"976 kB (1000000 字节)");
  EXPECT_EQ(Text(main, IDC_TOTAL_SIZE), L"1423 kB (1457664 字节)");
  for (int id : kWriteHalf) EXPECT_TRUE(Enabled(main, id)) << id;
  for (int id : kPanel) EXPECT_TRUE(Enabled(main, id)) << id;
  for (int id : kReadHalf) EXPECT_FALSE(Enabled(main, id)) << id;
  EXPECT_FALSE(Visible(main, IDC_TARGET_DESCRIPTION));
  EXPECT_TRUE(HasFormIcon(main));
  Close(process, main);
  EXPECT_EQ(FloppyFileBytes(), before) << "showing an image must not touch the disk";
}

TEST_F(MainWindow, AdvancedModeShowsThePanelAndTheTwoButtonsInALargerWindow) {
  struct Shown {
    SIZE window, group;
    bool convert, integrity, panelInside, indicatorsInside;
  };
  auto open = [this](DWORD advanced) {
    StoreSetting(L"AdvancedMode", advanced);
    robot::Process& process = Start({});
    HWND main = WaitForMainWindow(process.Id());
    Shown shown{};
    if (!main) return shown;
    RECT client = ClientArea(main), group = ClientRect(main, IDC_READ_GROUP);
    RECT panel = ClientRect(main, IDC_TOTAL_SIZE), indicator = ClientRect(main, IDC_COMPATIBLE_INDICATOR);
    shown = {WindowSize(main),
             {group.right - group.left, group.bottom - group.top},
             Visible(main, IDC_CONVERT),
             Visible(main, IDC_INTEGRITY),
             panel.bottom <= client.bottom,
             indicator.right <= client.right};
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
    return shown;
  };
  InsertFloppy();
  Shown normal = open(0), advanced = open(1);
  ASSERT_GT(advanced.window.cx, 0);
  // Sizes of the design (527 x 437 window, 500 x 111 groups; normal 435 x 304, 407 x 111), scaled alike.
  double scaleX = advanced.window.cx / 527.0, scaleY = advanced.window.cy / 437.0;
  EXPECT_NEAR(normal.window.cx, 435 * scaleX, 2);
  EXPECT_NEAR(normal.window.cy, 304 * scaleY, 2);
  EXPECT_NEAR(advanced.group.cx, 500 * scaleX, 2);
  EXPECT_NEAR(normal.group.cx, 407 * scaleX, 2);
  EXPECT_NEAR(advanced.group.cy, 111 * scaleY, 2);
  EXPECT_EQ(normal.group.cy, advanced.group.cy);
  EXPECT_TRUE(advanced.convert && advanced.integrity && advanced.panelInside && advanced.indicatorsInside);
  EXPECT_FALSE(normal.convert || normal.integrity || normal.panelInside || normal.indicatorsInside);
}

TEST_F(MainWindow, EscapeNeverClosesItAndEnterInAPathFieldStartsNothing) {
  InsertFloppy();
  std::string path = MakeImage("a.img", FloppyBytes(1474560, 3), "");
  robot::Process& process = Start({Utf16(path)});
  HWND main = WaitForMainWindow(process.Id());
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(FocusControl(main, IDC_CHOOSE_SOURCE));
  ASSERT_TRUE(PressKey(::GetDlgItem(main, IDC_CHOOSE_SOURCE), VK_ESCAPE));
  ASSERT_TRUE(FocusControl(main, IDC_SOURCE_PATH));
  ASSERT_TRUE(PressKey(::GetDlgItem(main, IDC_SOURCE_PATH), VK_RETURN));
  // Posted messages arrive in order: once the help is up, the keys have been handled.
  ASSERT_TRUE(robot::ChooseMenuItem(main, kMenuCommandLineHelp));
  HWND help = WaitForCaption(process.Id(), Utf16(kTextHelpCaption));
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(::IsWindow(main) && ::IsWindowVisible(main));
  EXPECT_EQ(WaitForDialog(process.Id(), IsMessageBox, 0), nullptr) << "Enter in the path field started the write";
  EXPECT_EQ(Text(help, 1200), Utf16(kTextHelpUsage));
  ASSERT_TRUE(robot::ClickButton(help, IDOK));
  ASSERT_TRUE(robot::WaitUntilClosed(help, kWaitMs));
  EXPECT_FALSE(process.WaitForExit(0));
  Close(process, main);
}

}  // namespace
}  // namespace scenario

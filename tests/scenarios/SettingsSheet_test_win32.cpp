// The settings sheet as a user works it: opened from the menu, check boxes clicked on both pages, OK or
// Cancel; what stays in HKEY_CURRENT_USER afterwards, and how the main window follows at once.
#include "Scenario_win32.h"

#include <commctrl.h>

#include "base/Texts.h"
#include "win32/MainDlgRes.h"
#include "win32/SettingsOneDlgRes.h"
#include "win32/SettingsTwoDlgRes.h"

namespace scenario {
namespace {


class SettingsSheet : public DiskelleScenario {
 protected:
  SettingsSheet() { InsertFloppy(); }

  HWND StartMain() {
    process_ = &Start({});
    return main_ = WaitForMainWindow(process_->Id());
  }
  // From the menu of the main window.
  HWND OpenSheet() {
    if (!main_ || !robot::ChooseMenuItem(main_, kMenuSettings)) return nullptr;
    return WaitForCaption(process_->Id(), Utf16(kTextSettingsCaption));
  }
  HWND StartAndOpenSheet() { return StartMain() ? OpenSheet() : nullptr; }
  // Selects the page's tab, as a click on it would.
  static HWND ShowPage(HWND sheet, int index) {
    ::SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    return reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  }
  static bool Checked(HWND page, int id) { return ::IsDlgButtonChecked(page, id) == BST_CHECKED; }
  // Clicks the check box and waits until it shows the click.
  static void Click(HWND page, int id) {
    bool before = Checked(page, id);
    ASSERT_TRUE(robot::ClickButton(page, id)) << id;
    ASSERT_TRUE(WaitUntil([&] { return Checked(page, id) != before; })) << id;
  }
  static void Press(HWND sheet, int button) {
    ASSERT_TRUE(robot::ClickButton(sheet, button));
    ASSERT_TRUE(robot::WaitUntilClosed(sheet, kWaitMs));
  }
  std::optional<DWORD> Stored(const wchar_t* name) const { return StoredSetting(kSettingsKey, name); }
  void Close() {
    ASSERT_TRUE(::PostMessageW(main_, WM_CLOSE, 0, 0));
    EXPECT_EQ(WaitForExit(*process_), std::optional<DWORD>(0));
  }

  robot::Process* process_ = nullptr;
  HWND main_ = nullptr;
};

// Letters pasted into the digits-only retry field are refused with a message, the sheet stays, the count too.
TEST_F(SettingsSheet, TheRetryFieldRefusesWhatIsNoNumber) {
  StoreSetting(L"RetryPasses", DWORD{3});
  HWND sheet = StartAndOpenSheet();
  ASSERT_NE(sheet, nullptr);
  HWND two = ShowPage(sheet, 1);
  ASSERT_TRUE(TypeText(two, IDC_SETTINGS_RETRY_PASSES, L"abc"));
  ASSERT_TRUE(robot::ClickButton(sheet, IDOK));
  HWND box = WaitForMessageBox(process_->Id());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Text(box, robot::kMessageBoxTextId), L"重试的遍数必须是 0 到 99 之间的数字。");
  Answer(box, IDOK);
  EXPECT_TRUE(::IsWindow(sheet)) << "the sheet stays for a correction";
  ASSERT_TRUE(TypeText(two, IDC_SETTINGS_RETRY_PASSES, L"5"));
  Press(sheet, IDOK);
  EXPECT_EQ(Stored(L"RetryPasses"), std::optional<DWORD>(5));
  Close();
}

TEST_F(SettingsSheet, OkStoresBothPagesAndTheMainWindowFollowsAtOnce) {
  ASSERT_NE(StartMain(), nullptr);
  SIZE normal = WindowSize(main_);
  EXPECT_FALSE(Enabled(main_, IDC_EMERGENCY_INDICATOR));
  HWND sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  HWND one = ShowPage(sheet, 0);
  EXPECT_EQ(Text(one, IDC_SETTINGS_SUPPRESS), Utf16(kTextSettingsSuppress));
  EXPECT_EQ(Text(one, IDC_SETTINGS_TYPES_GROUP), Utf16(kTextSettingsTypesGroup));
  EXPECT_TRUE(Checked(one, IDC_SETTINGS_SOUND));
  EXPECT_FALSE(Checked(one, IDC_SETTINGS_SUPPRESS));
  Click(one, IDC_SETTINGS_SOUND);
  Click(one, IDC_SETTINGS_SUPPRESS);
  Click(one, IDC_SETTINGS_ADVANCED_MODE);
  HWND two = ShowPage(sheet, 1);
  EXPECT_EQ(Text(two, IDC_SETTINGS_WRITE_GROUP), Utf16(kTextSettingsWriteGroup));
  EXPECT_FALSE(Checked(two, IDC_SETTINGS_DRIVE_B));
  EXPECT_FALSE(Enabled(two, IDC_SETTINGS_VERIFY_FORMAT)) << "formatting is off by default";
  Click(two, IDC_SETTINGS_EMERGENCY);
  Click(two, IDC_SETTINGS_COMPATIBLE);
  Click(two, IDC_SETTINGS_FORMAT_DISK);
  EXPECT_TRUE(Enabled(two, IDC_SETTINGS_VERIFY_FORMAT));
  EXPECT_TRUE(Enabled(two, IDC_SETTINGS_RECREATE_BAD));
  Press(sheet, IDOK);

  const std::pair<const wchar_t*, DWORD> expected[] = {
      {L"Sound", 0},     {L"WindowFx", 0},   {L"Suppress", 1},   {L"AdvancedMode", 1}, {L"ToolTips", 1},
      {L"CheckUpdates", 1}, {L"Emergency", 1}, {L"Compatible", 1}, {L"FormatDisk", 1},   {L"VerifyFormat", 1},
      {L"VerifyWrite", 1},  {L"RecreateBad", 0}};
  for (const auto& [name, value] : expected) EXPECT_EQ(Stored(name), std::optional<DWORD>(value)) << Utf8(name);
  EXPECT_EQ(StoredText(kSettingsKey, L"FDLetter"), L"A:");
  // The indicators are the last the window changes after the sheet: sampled earlier, it is half-done.
  EXPECT_TRUE(WaitUntil([&] { return Enabled(main_, IDC_COMPATIBLE_INDICATOR); }));
  EXPECT_GT(WindowSize(main_).cx, normal.cx) << "advanced mode grows the window";
  EXPECT_TRUE(Visible(main_, IDC_CONVERT));
  EXPECT_TRUE(Enabled(main_, IDC_EMERGENCY_INDICATOR));
  EXPECT_TRUE(Enabled(main_, IDC_COMPATIBLE_INDICATOR));
  Close();
}

TEST_F(SettingsSheet, CancelAfterSwitchingTooltipsRestoresThemAndStoresNothing) {
  HWND sheet = StartAndOpenSheet();
  ASSERT_NE(sheet, nullptr);
  HWND one = ShowPage(sheet, 0);
  ASSERT_TRUE(Checked(one, IDC_SETTINGS_TOOLTIPS));
  Click(one, IDC_SETTINGS_TOOLTIPS);
  Click(one, IDC_SETTINGS_SOUND);
  ShowPage(sheet, 1);
  Press(sheet, IDCANCEL);
  for (const wchar_t* name : {L"ToolTips", L"Sound", L"Emergency"}) EXPECT_FALSE(Stored(name)) << Utf8(name);

  sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  one = ShowPage(sheet, 0);
  EXPECT_TRUE(Checked(one, IDC_SETTINGS_TOOLTIPS)) << "the tooltips are on again";
  EXPECT_TRUE(Checked(one, IDC_SETTINGS_SOUND));
  Press(sheet, IDCANCEL);
  Close();
}

TEST_F(SettingsSheet, APageNeverOpenedWritesNothing) {
  StoreSetting(L"Emergency", 1);
  HWND sheet = StartAndOpenSheet();
  ASSERT_NE(sheet, nullptr);
  Press(sheet, IDOK);
  EXPECT_EQ(Stored(L"Sound"), std::optional<DWORD>(1)) << "the page shown stores";
  EXPECT_EQ(Stored(L"Emergency"), std::optional<DWORD>(1));
  for (const wchar_t* name : {L"Compatible", L"FormatDisk", L"VerifyWrite", L"RecreateBad"}) {
    EXPECT_FALSE(Stored(name)) << Utf8(name);
  }
  EXPECT_EQ(StoredText(kSettingsKey, L"FDLetter"), L"<none>");
  Close();
}

TEST_F(SettingsSheet, DriveBIsShownForAnyLetterButAAndOkStoresB) {
  const std::tuple<const wchar_t*, bool> cases[] = {{L"a:", false}, {L"C:", true}};
  for (const auto& [letter, driveB] : cases) {
    SCOPED_TRACE(Utf8(letter));
    StoreSetting(L"FDLetter", std::wstring(letter));
    HWND sheet = StartAndOpenSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(Checked(ShowPage(sheet, 1), IDC_SETTINGS_DRIVE_B), driveB);
    Press(sheet, IDOK);
    EXPECT_EQ(StoredText(kSettingsKey, L"FDLetter"), driveB ? L"B:" : L"A:");
    Close();
  }
}

TEST_F(SettingsSheet, UncheckingFormattingGreysItsDependentsAndKeepsTheirStates) {
  StoreSetting(L"FormatDisk", 1);
  StoreSetting(L"RecreateBad", 1);
  HWND sheet = StartAndOpenSheet();
  ASSERT_NE(sheet, nullptr);
  HWND two = ShowPage(sheet, 1);
  EXPECT_TRUE(Enabled(two, IDC_SETTINGS_RECREATE_BAD));
  EXPECT_TRUE(Enabled(two, IDC_SETTINGS_VERIFY_FORMAT));
  Click(two, IDC_SETTINGS_FORMAT_DISK);
  EXPECT_FALSE(Enabled(two, IDC_SETTINGS_RECREATE_BAD));
  EXPECT_FALSE(Enabled(two, IDC_SETTINGS_VERIFY_FORMAT));
  EXPECT_TRUE(Checked(two, IDC_SETTINGS_RECREATE_BAD));
  EXPECT_TRUE(Checked(two, IDC_SETTINGS_VERIFY_FORMAT));
  Press(sheet, IDOK);
  EXPECT_EQ(Stored(L"FormatDisk"), std::optional<DWORD>(0));
  EXPECT_EQ(Stored(L"RecreateBad"), std::optional<DWORD>(1));
  EXPECT_EQ(Stored(L"VerifyFormat"), std::optional<DWORD>(1));
  Close();
}

TEST_F(SettingsSheet, AssociatingImgAndRemovingItAgain) {
  RemoveUserAssociations();
  const wchar_t kOpenCommand[] = L"Software\\Classes\\DiskelleFile\\Shell\\open\\command";
  ASSERT_NE(StartMain(), nullptr);
  // checked before, click, then what the classes hold after OK
  for (bool associated : {false, true}) {
    SCOPED_TRACE(associated);
    HWND sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    HWND one = ShowPage(sheet, 0);
    EXPECT_EQ(Checked(one, IDC_SETTINGS_ASSOCIATE_IMG), associated);
    EXPECT_FALSE(Checked(one, IDC_SETTINGS_ASSOCIATE_IMZ));
    Click(one, IDC_SETTINGS_ASSOCIATE_IMG);
    Press(sheet, IDOK);
    std::wstring command = StoredText(kOpenCommand, nullptr);
    if (associated) {
      EXPECT_EQ(command, L"<none>") << "the ProgID is removed";
    } else {
      EXPECT_NE(command.find(DiskelleExecutable()), std::wstring::npos) << Utf8(command);
    }
    EXPECT_EQ(StoredText(L"Software\\Classes\\.img", nullptr), L"DiskelleFile");
    EXPECT_EQ(StoredText(L"Software\\Classes\\DiskelleCompressedFile", nullptr), L"<none>");
  }
  HWND sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  EXPECT_FALSE(Checked(ShowPage(sheet, 0), IDC_SETTINGS_ASSOCIATE_IMG));
  Press(sheet, IDCANCEL);
  Close();
  RemoveUserAssociations();
}

}  // namespace
}  // namespace scenario

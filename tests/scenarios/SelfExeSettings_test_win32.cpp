// The self-extractor settings sheet as a user works it: opened from the menu, its pages' controls and
// enabling rules, which page stores when, and the picture checks of the visual page.
#include "Scenario_win32.h"

#include <commctrl.h>

#include "SelfExeSheet_win32.h"
#include "base/Texts.h"
#include "settings/Settings.h"
#include "support/ImageTestSupport.h"
#include "win32/MainDlgRes.h"
#include "win32/SettingsExeFourDlgRes.h"
#include "win32/SettingsExeOneDlgRes.h"
#include "win32/SettingsExeThreeDlgRes.h"
#include "win32/SettingsExeTwoDlgRes.h"

namespace scenario {
namespace {

const std::wstring kSelfExeKeyW = Utf16(kSelfExeKey);

class SelfExeSettingsSheet : public DiskelleScenario {
 protected:
  // Starts the program and opens the sheet from the menu.
  HWND OpenSheet() {
    process_ = &Start({});
    main_ = WaitForMainWindow(process_->Id());
    if (!main_) return nullptr;
    return OpenSelfExeSheet(*process_, main_);
  }
  // Ends the program with the main window's close box.
  void Close() {
    ASSERT_TRUE(::PostMessageW(main_, WM_CLOSE, 0, 0));
    EXPECT_EQ(WaitForExit(*process_), std::optional<DWORD>(0));
  }
  // Presses a button of the sheet and waits for it to close.
  void End(HWND sheet, int button) {
    ASSERT_TRUE(::PostMessageW(sheet, PSM_PRESSBUTTON, button, 0));
    ASSERT_TRUE(robot::WaitUntilClosed(sheet, kWaitMs));
  }
  std::optional<DWORD> Stored(const wchar_t* name) const { return StoredSetting(kSelfExeKeyW.c_str(), name); }
  std::optional<std::wstring> StoredText(const wchar_t* name) const {
    wchar_t value[512] = {};
    DWORD size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, kSelfExeKeyW.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
      return std::nullopt;
    }
    return std::wstring(value);
  }
  void StoreSelfExe(const wchar_t* name, DWORD value) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kSelfExeKeyW.c_str(), name, REG_DWORD, &value, sizeof value),
              ERROR_SUCCESS);
  }
  // The message box that shows, with its text and icon checked, answered OK.
  void ExpectError(const std::wstring& text) {
    HWND box = WaitForMessageBox(process_->Id());
    ASSERT_NE(box, nullptr) << Utf8(text);
    EXPECT_EQ(Text(box, robot::kMessageBoxTextId), text);
    EXPECT_TRUE(MessageBoxHasIcon(box));
    Answer(box, IDOK);
  }

  robot::Process* process_ = nullptr;
  HWND main_ = nullptr;
};

bool Checked(HWND page, int id) { return ::SendDlgItemMessageW(page, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

struct ControlText {
  int id;
  const wchar_t* text;
};

TEST_F(SelfExeSettingsSheet, OpensFromTheMenuWithFourPagesShowingTheirControlsAndTheStoredValues) {
  StoreSelfExe(L"Format", 1);
  StoreSelfExe(L"VerifyFormat", 1);
  HWND sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  EXPECT_FALSE(::IsWindowEnabled(main_)) << "the sheet is modal";
  EXPECT_EQ(::SendMessageW(PropSheet_GetTabControl(sheet), TCM_GETITEMCOUNT, 0, 0), 4);
  EXPECT_FALSE(Visible(sheet, 0x3021)) << "no Apply button";
  EXPECT_FALSE(Visible(sheet, IDHELP)) << "no Help button";
  EXPECT_EQ(CurrentPageIndex(sheet), 0);

  const std::vector<ControlText> pages[] = {
      {{IDC_LICENSE_DISPLAY, L"显示对话框"}, {IDC_LICENSE_PICTURE, L"窗口中显示图片"},
       {IDC_LICENSE_TITLE_LABEL, L"窗口标题:"}, {IDC_LICENSE_TEXT_LABEL, L"授权协议文本:"},
       {IDC_LICENSE_TITLE, L"授权协议"}, {IDC_LICENSE_TEXT, L""}},
      {{IDC_CREATE_PICTURE, L"窗口中显示图片"}, {IDC_CREATE_DESCRIPTION, L"显示映像文件的描述"},
       {IDC_CREATE_TITLE, L"创建软盘"},
       {IDC_CREATE_TEXT,
        L"请按照以下步骤创建软盘:\r\n\r\n1) 放置一张允许写入的软盘到驱动器中\r\n2) 点击下面的 '创建' 按钮\r\n3) 等待操作完成"}},
      {{IDC_CUSTOM_PICTURE, L"使用用户图片"}, {IDC_PICTURE_LABEL, L"将要显示的图片 (BMP 格式):"},
       {IDC_PICTURE_PATH, L""}, {IDC_BROWSE_PICTURE, L"浏览..."},
       {IDC_SELF_EXE_WINDOW_FX, L"启用窗口的 alpha 混和效应"}},
      {{IDC_DRIVE_B, L"询问用户如果有驱动器 B: 存在，是否应该使用 B:"},
       {IDC_OVERWRITE_DIALOG, L"覆写软盘之前显示确认对话框"}, {IDC_SUCCESS_DIALOG, L"软盘创建成功后通报用户"},
       {IDC_RESTART_DIALOG, L"如果操作成功，请求用户重新启动电脑"}, {IDC_SELF_EXE_VERIFY_WRITE, L"校验数据写入正确"},
       {IDC_SELF_EXE_FORMAT, L"写入到软盘前先格式化软盘"}, {IDC_SELF_EXE_VERIFY_FORMAT, L"校验数据格式化正确"}},
  };
  for (int index = 0; index < 4; ++index) {
    SCOPED_TRACE(index);
    HWND page = SelectTab(sheet, index);
    ASSERT_NE(page, nullptr);
    for (const ControlText& control : pages[index]) {
      EXPECT_TRUE(Visible(page, control.id)) << control.id;
      EXPECT_EQ(Text(page, control.id), control.text) << control.id;
    }
  }
  // Defaults as stored: the licence page and the custom picture off, the create page's picture and
  // description on; the options as stored above and by default.
  HWND licence = PropSheet_IndexToHwnd(sheet, 0);
  EXPECT_FALSE(Checked(licence, IDC_LICENSE_DISPLAY));
  HWND create = PropSheet_IndexToHwnd(sheet, 1);
  EXPECT_TRUE(Checked(create, IDC_CREATE_PICTURE));
  EXPECT_TRUE(Checked(create, IDC_CREATE_DESCRIPTION));
  HWND options = PropSheet_IndexToHwnd(sheet, 3);
  const std::pair<int, bool> optionValues[] = {
      {IDC_DRIVE_B, false},          {IDC_OVERWRITE_DIALOG, true},     {IDC_SUCCESS_DIALOG, true},
      {IDC_RESTART_DIALOG, false},   {IDC_SELF_EXE_VERIFY_WRITE, true}, {IDC_SELF_EXE_FORMAT, true},
      {IDC_SELF_EXE_VERIFY_FORMAT, true}};
  for (const auto& [id, on] : optionValues) EXPECT_EQ(Checked(options, id), on) << id;
  End(sheet, PSBTN_CANCEL);
  EXPECT_TRUE(::IsWindowEnabled(main_));
  Close();
}

TEST_F(SelfExeSettingsSheet, CheckBoxesGreyTheirDependentsAndTheFormatCheckKeepsTheVerification) {
  StoreSelfExe(L"Format", 1);
  StoreSelfExe(L"VerifyFormat", 1);
  HWND sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  struct Rule {
    int page;
    int box;
    std::vector<int> dependents;
  } rules[] = {
      {0, IDC_LICENSE_DISPLAY,
       {IDC_LICENSE_PICTURE, IDC_LICENSE_TITLE, IDC_LICENSE_TEXT, IDC_LICENSE_TITLE_LABEL, IDC_LICENSE_TEXT_LABEL}},
      {2, IDC_CUSTOM_PICTURE, {IDC_PICTURE_LABEL, IDC_PICTURE_PATH, IDC_BROWSE_PICTURE}},
      {3, IDC_SELF_EXE_FORMAT, {IDC_SELF_EXE_VERIFY_FORMAT}},
  };
  for (const Rule& rule : rules) {
    SCOPED_TRACE(rule.box);
    HWND page = SelectTab(sheet, rule.page);
    ASSERT_NE(page, nullptr);
    for (int click = 0; click < 2; ++click) {
      bool on = Checked(page, rule.box);
      for (int id : rule.dependents) EXPECT_EQ(Enabled(page, id), on) << id;
      ASSERT_TRUE(robot::ClickButton(page, rule.box));
      ASSERT_TRUE(WaitUntil([&] { return Checked(page, rule.box) != on; }));
      ASSERT_TRUE(WaitUntil([&] { return Enabled(page, rule.dependents.front()) != on; }));
    }
  }
  HWND options = PropSheet_IndexToHwnd(sheet, 3);
  ASSERT_TRUE(robot::ClickButton(options, IDC_SELF_EXE_FORMAT));
  ASSERT_TRUE(WaitUntil([&] { return !Enabled(options, IDC_SELF_EXE_VERIFY_FORMAT); }));
  EXPECT_TRUE(Checked(options, IDC_SELF_EXE_VERIFY_FORMAT)) << "greyed, not unchecked";
  ASSERT_NE(SelectTab(sheet, 1), nullptr);
  EXPECT_EQ(Stored(L"Format"), std::optional<DWORD>(0));
  EXPECT_EQ(Stored(L"VerifyFormat"), std::optional<DWORD>(1));
  End(sheet, PSBTN_CANCEL);
  Close();
}

TEST_F(SelfExeSettingsSheet, OptionsAreStoredOnLeavingThePageAndSurviveCancel) {
  HWND sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  HWND licence = PropSheet_IndexToHwnd(sheet, 0);
  ASSERT_TRUE(robot::ClickButton(licence, IDC_LICENSE_DISPLAY));
  HWND options = SelectTab(sheet, 3);
  ASSERT_NE(options, nullptr);
  for (int id : {IDC_DRIVE_B, IDC_RESTART_DIALOG, IDC_OVERWRITE_DIALOG}) ASSERT_TRUE(robot::ClickButton(options, id));
  ASSERT_TRUE(WaitUntil([&] { return !Checked(options, IDC_OVERWRITE_DIALOG); }));
  EXPECT_EQ(Stored(L"DriveB"), std::nullopt) << "nothing is stored while the page shows";
  ASSERT_NE(SelectTab(sheet, 0), nullptr);
  End(sheet, PSBTN_CANCEL);
  const std::pair<const wchar_t*, DWORD> stored[] = {
      {L"Format", 0},         {L"VerifyFormat", 0},    {L"VerifyWrite", 1},  {L"DriveB", 1},
      {L"OverwriteDialog", 0}, {L"SuccessDialog", 1}, {L"RestartDialog", 1}};
  for (const auto& [name, value] : stored) EXPECT_EQ(Stored(name), std::optional<DWORD>(value)) << Utf8(name);
  EXPECT_EQ(Stored(L"LicenseDisplay"), std::nullopt) << "Cancel discards the licence page";

  // The next sheet shows what was stored.
  sheet = OpenSelfExeSheet(*process_, main_);
  ASSERT_NE(sheet, nullptr);
  options = SelectTab(sheet, 3);
  ASSERT_NE(options, nullptr);
  EXPECT_TRUE(Checked(options, IDC_DRIVE_B));
  EXPECT_FALSE(Checked(options, IDC_OVERWRITE_DIALOG));
  End(sheet, PSBTN_CANCEL);
  Close();
}

TEST_F(SelfExeSettingsSheet, TheLicencePageIsStoredByOkOnly) {
  HWND sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  HWND licence = PropSheet_IndexToHwnd(sheet, 0);
  ASSERT_TRUE(robot::ClickButton(licence, IDC_LICENSE_DISPLAY));
  ASSERT_TRUE(WaitUntil([&] { return Enabled(licence, IDC_LICENSE_TITLE); }));
  ASSERT_TRUE(TypeText(licence, IDC_LICENSE_TITLE, L"使用 协议"));
  ASSERT_TRUE(TypeText(licence, IDC_LICENSE_TEXT, L"第一行\r\n第二行"));
  End(sheet, PSBTN_OK);
  EXPECT_EQ(Stored(L"LicenseDisplay"), std::optional<DWORD>(1));
  EXPECT_EQ(Stored(L"LicensePicture"), std::optional<DWORD>(0));
  EXPECT_EQ(StoredText(L"LicenseTitle"), std::optional<std::wstring>(L"使用 协议"));
  EXPECT_EQ(StoredText(L"LicenseText"), std::optional<std::wstring>(L"第一行\r\n第二行"));
  EXPECT_EQ(Stored(L"CreatePicture"), std::nullopt) << "a page never shown stores nothing";
  EXPECT_EQ(Stored(L"DriveB"), std::nullopt);
  Close();
}

TEST_F(SelfExeSettingsSheet, AMissingCustomPictureKeepsTheSheetOnTheVisualPage) {
  std::string missing = Path("没有的 图片.bmp");
  std::string picture = Path("标志.bmp");
  WriteWhole(picture, "BM");
  HWND sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  HWND visual = SelectTab(sheet, 2);
  ASSERT_NE(visual, nullptr);
  ASSERT_TRUE(robot::ClickButton(visual, IDC_CUSTOM_PICTURE));
  ASSERT_TRUE(WaitUntil([&] { return Enabled(visual, IDC_PICTURE_PATH); }));
  ASSERT_TRUE(TypeText(visual, IDC_PICTURE_PATH, Utf16(missing)));
  const std::wstring refusal = Utf16("不能打开 " + missing + "。");

  ASSERT_TRUE(::PostMessageW(PropSheet_GetTabControl(sheet), TCM_SETCURFOCUS, 0, 0));
  ExpectError(refusal);
  EXPECT_EQ(CurrentPageIndex(sheet), 2);
  ASSERT_TRUE(::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0));
  ExpectError(refusal);
  EXPECT_TRUE(::IsWindow(sheet));
  EXPECT_EQ(CurrentPageIndex(sheet), 2);
  EXPECT_EQ(Stored(L"CustomPicture"), std::nullopt) << "a refused page stores nothing";

  ASSERT_TRUE(TypeText(visual, IDC_PICTURE_PATH, Utf16(picture)));
  End(sheet, PSBTN_OK);
  EXPECT_EQ(Stored(L"CustomPicture"), std::optional<DWORD>(1));
  EXPECT_EQ(StoredText(L"PicturePath"), std::optional<std::wstring>(Utf16(picture)));
  EXPECT_EQ(Stored(L"WindowFx"), std::optional<DWORD>(0));
  Close();
}

TEST_F(SelfExeSettingsSheet, OnlyBmpPicturesAreTakenFromTheFileDialogOrADrop) {
  std::string text = Path("说明.txt");
  std::string upper = Path("大写 标志.BMP");
  std::string lower = Path("小写.bmp");
  for (const std::string& file : {text, upper, lower}) WriteWhole(file, "BM");
  const std::wstring refusal = Utf16(TextOf(kTextOnlyBmpPictures));
  HWND sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  HWND visual = SelectTab(sheet, 2);
  ASSERT_NE(visual, nullptr);
  ASSERT_TRUE(robot::ClickButton(visual, IDC_CUSTOM_PICTURE));

  ASSERT_TRUE(DropFiles(visual, {Utf16(text), Utf16(lower)}));
  ExpectError(refusal);
  EXPECT_EQ(Text(visual, IDC_PICTURE_PATH), L"") << "the first file decides; the others are ignored";
  ASSERT_TRUE(DropFiles(visual, {Utf16(upper), Utf16(lower)}));
  ASSERT_TRUE(WaitUntil([&] { return Text(visual, IDC_PICTURE_PATH) == Utf16(upper); }));

  struct Choice {
    std::string path;
    bool taken;
  } choices[] = {{text, false}, {lower, true}};
  for (const Choice& choice : choices) {
    SCOPED_TRACE(choice.path);
    std::wstring before = Text(visual, IDC_PICTURE_PATH);
    ASSERT_TRUE(robot::ClickButton(visual, IDC_BROWSE_PICTURE));
    HWND dialog = WaitForCaption(process_->Id(), Utf16(kTextOpenImageTitle));
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ChooseInFileDialog(dialog, Utf16(choice.path)));
    ASSERT_TRUE(robot::WaitUntilClosed(dialog, kWaitMs));
    if (!choice.taken) ExpectError(refusal);
    ASSERT_TRUE(WaitUntil([&] { return Text(visual, IDC_PICTURE_PATH) == (choice.taken ? Utf16(choice.path) : before); }));
  }
  End(sheet, PSBTN_OK);
  EXPECT_EQ(StoredText(L"PicturePath"), std::optional<std::wstring>(Utf16(lower)));
  Close();
}

}  // namespace
}  // namespace scenario

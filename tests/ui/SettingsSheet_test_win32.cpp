// The settings sheet from inside its loop: both pages' texts and tooltips, the tooltip switch at the click
// and its Cancel, and what older systems grey (the scenarios drive the rest as a user).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <span>
#include <tuple>
#include <vector>
#include <string>

#include "ModalDriver_win32.h"
#include "TestDialog_win32.h"
#include "base/Texts.h"
#include "base/Wide_win32.h"
#include "settings/HiveRegistry.h"
#include "ui/MyPropertyPage.h"
#include "ui/WideText.h"
#include "win32/SettingsOneDlgRes.h"
#include "win32/SettingsSheet.h"
#include "win32/SettingsTwoDlgRes.h"

namespace {

struct ShownCheck {
  int id;
  const char* text;
};

const ShownCheck kPageOne[] = {
    {IDC_SETTINGS_SUPPRESS, kTextSettingsSuppress},          {IDC_SETTINGS_SOUND, kTextSettingsSound},
    {IDC_SETTINGS_ASSOCIATE_IMG, kTextSettingsAssociateImg}, {IDC_SETTINGS_ASSOCIATE_IMZ, kTextSettingsAssociateImz},
    {IDC_SETTINGS_WINDOW_FX, kTextSettingsWindowFx},         {IDC_SETTINGS_TOOLTIPS, kTextSettingsToolTips},
    {IDC_SETTINGS_ADVANCED_MODE, kTextSettingsAdvancedMode}, {IDC_SETTINGS_CHECK_UPDATES, kTextSettingsCheckUpdates},
};
const ShownCheck kPageTwo[] = {
    {IDC_SETTINGS_DRIVE_B, kTextSettingsDriveB},           {IDC_SETTINGS_COMPATIBLE, kTextSettingsCompatible},
    {IDC_SETTINGS_EMERGENCY, kTextSettingsEmergency},      {IDC_SETTINGS_FORMAT_DISK, kTextSettingsFormatDisk},
    {IDC_SETTINGS_RECREATE_BAD, kTextSettingsRecreateBad}, {IDC_SETTINGS_VERIFY_FORMAT, kTextSettingsVerifyFormat},
    {IDC_SETTINGS_VERIFY_WRITE, kTextSettingsVerifyWrite},
};

BOOL CALLBACK FindSheet(HWND window, LPARAM found) {
  if (ReadWindowText(window) != kTextSettingsCaption) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The sheet that this thread shows.
HWND ShownSheet() {
  HWND sheet = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), &FindSheet, reinterpret_cast<LPARAM>(&sheet));
  return sheet;
}

class SettingsSheetTest : public ::testing::Test {
 protected:
  // Runs the sheet on a system of that version and acts on it from inside its loop.
  INT_PTR Run(uint32_t ntMajorVersion, const std::function<void(HWND sheet)>& act) {
    ActInNextLoop([&] { act(ShownSheet()); });
    return RunSettingsSheet(nullptr, ui.Context(ntMajorVersion),
                            {ui.settings, registry, "C:\\程序\\Diskelle.exe", ntMajorVersion, nullptr});
  }
  static HWND ShowPage(HWND sheet, int index) {
    PropSheet_SetCurSel(sheet, nullptr, index);
    return PropSheet_GetCurrentPageHwnd(sheet);
  }
  static void Click(HWND page, int id) {
    ::SendDlgItemMessageW(page, id, BM_CLICK, 0, 0);
    PumpMessages(20);
  }
  static bool Enabled(HWND page, int id) { return ::IsWindowEnabled(::GetDlgItem(page, id)) != FALSE; }

  UiSettings ui;
  MemoryRegistry registry;
};

TEST_F(SettingsSheetTest, BothPagesShowTheirTextsAndEveryCheckBoxItsTooltip) {
  Run(6, [&](HWND sheet) {
    EXPECT_EQ(ReadWindowText(sheet), kTextSettingsCaption);
    const std::tuple<int, std::span<const ShownCheck>, const char*, std::vector<std::pair<int, const char*>>> pages[] = {
        {0, kPageOne, kTextSettingsOneCaption,
         {{IDC_SETTINGS_MISC_GROUP, kTextSettingsMiscGroup}, {IDC_SETTINGS_TYPES_GROUP, kTextSettingsTypesGroup}}},
        {1, kPageTwo, kTextSettingsTwoCaption,
         {{IDC_SETTINGS_ACCESS_GROUP, kTextSettingsAccessGroup},
          {IDC_SETTINGS_READ_GROUP, kTextSettingsReadGroup},
          {IDC_SETTINGS_WRITE_GROUP, kTextSettingsWriteGroup}}},
    };
    HWND tabs = PropSheet_GetTabControl(sheet);
    for (const auto& [index, checks, caption, groups] : pages) {
      HWND page = ShowPage(sheet, index);
      wchar_t tabText[64] = {};
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = tabText;
      item.cchTextMax = 64;
      TabCtrl_GetItem(tabs, index, &item);
      EXPECT_EQ(Narrow(tabText), caption);
      for (const auto& [id, text] : groups) EXPECT_EQ(ReadWindowText(::GetDlgItem(page, id)), text) << id;
      auto* object = dynamic_cast<CMyPropertyPage*>(DialogWindow::FromWindow(page));
      ASSERT_NE(object, nullptr);
      EXPECT_EQ(object->Appearance().Tips().ToolCount(), static_cast<int>(checks.size())) << "check boxes only";
      for (const ShownCheck& check : checks) {
        EXPECT_EQ(ReadWindowText(::GetDlgItem(page, check.id)), check.text) << check.id;
        std::wstring tip;
        EXPECT_TRUE(object->Appearance().Tips().TextOf(::GetDlgItem(page, check.id), tip)) << check.id;
        EXPECT_EQ(Narrow(tip), TextOf(check.id)) << check.id;
      }
    }
    PropSheet_PressButton(sheet, PSBTN_CANCEL);
  });
}

TEST_F(SettingsSheetTest, TooltipsSwitchAtTheClickAndCancelRestoresThem) {
  uint32_t whileOpen = 1;
  INT_PTR result = Run(6, [&](HWND sheet) {
    Click(PropSheet_GetCurrentPageHwnd(sheet), IDC_SETTINGS_TOOLTIPS);
    whileOpen = ui.settings.m_toolTips;
    PropSheet_PressButton(sheet, PSBTN_CANCEL);
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(whileOpen, 0u);
  EXPECT_EQ(ui.settings.m_toolTips, 1u);
}

TEST_F(SettingsSheetTest, RetryPassesAreShownAndStoredInTheirRange) {
  ui.settings.m_retryPasses = 2;
  const std::pair<const char*, uint32_t> typed[] = {{"7", 7}, {"250", kMaxRetryPasses}, {"99999999999", kMaxRetryPasses}, {"", 0}};
  for (const auto& [text, stored] : typed) {
    ui.settings.m_retryPasses = 2;
    INT_PTR result = Run(6, [&](HWND sheet) {
      HWND page = ShowPage(sheet, 1);
      EXPECT_EQ(ReadWindowText(::GetDlgItem(page, IDC_SETTINGS_RETRY_LABEL)), kTextSettingsRetryPasses);
      EXPECT_EQ(ReadWindowText(::GetDlgItem(page, IDC_SETTINGS_RETRY_PASSES)), "2");
      ::SetDlgItemTextW(page, IDC_SETTINGS_RETRY_PASSES, Wide(text).c_str());
      PropSheet_PressButton(sheet, PSBTN_OK);
    });
    EXPECT_GT(result, 0) << text;
    EXPECT_EQ(ui.settings.m_retryPasses, stored) << text;
  }
}

TEST_F(SettingsSheetTest, TheFadeNeedsWindows2000AndRebuildingBadSectorsNeedsNt) {
  ui.settings.m_formatDisk = 1;
  // ntMajorVersion (0: Windows 9x), fade check box enabled, rebuild check box enabled while formatting
  const std::tuple<uint32_t, bool, bool> systems[] = {{5, true, true}, {4, false, true}, {0, false, false}};
  for (const auto& [nt, fade, recreate] : systems) {
    Run(nt, [&](HWND sheet) {
      EXPECT_EQ(Enabled(PropSheet_GetCurrentPageHwnd(sheet), IDC_SETTINGS_WINDOW_FX), fade) << nt;
      HWND page = ShowPage(sheet, 1);
      EXPECT_TRUE(Enabled(page, IDC_SETTINGS_VERIFY_FORMAT)) << nt;
      EXPECT_EQ(Enabled(page, IDC_SETTINGS_RECREATE_BAD), recreate) << nt;
      PropSheet_PressButton(sheet, PSBTN_CANCEL);
    });
  }
}

}  // namespace

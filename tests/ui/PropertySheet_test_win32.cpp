// The settings sheets' bases: pages with tooltips, all pages created at once on request, OK and Cancel.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "ModalDriver_win32.h"
#include "TestDialog_win32.h"
#include "ui/MyPropertySheet.h"

namespace {

class TestPage : public CMyPropertyPage {
 public:
  TestPage(int templateId, const DialogContext& context) : CMyPropertyPage(templateId, context) {}
  bool acceptApply = true;
  bool acceptLeave = true;
  int applies = 0;
  int resets = 0;
  int leaves = 0;

 protected:
  bool OnApply() override {
    ++applies;
    return acceptApply;
  }
  void OnReset() override { ++resets; }
  bool OnKillActive() override {
    ++leaves;
    return acceptLeave;
  }
};

class PropertySheetTest : public ::testing::Test {
 protected:
  UiSettings ui_;
  TestPage one_{IDD_TEST_PAGE_ONE, ui_.Context()};
  TestPage two_{IDD_TEST_PAGE_TWO, ui_.Context()};
  CMyPropertySheet sheet_{"设置", ui_.Context()};

  void SetUp() override {
    sheet_.AddPage(one_);
    sheet_.AddPage(two_);
  }
  HWND PageWindow(int index) { return PropSheet_IndexToHwnd(sheet_.Window(), index); }
};

TEST_F(PropertySheetTest, PagesAreCreatedWhenFirstShownUnlessAllAreAskedFor) {
  for (bool all : {false, true}) {
    TestPage one(IDD_TEST_PAGE_ONE, ui_.Context()), two(IDD_TEST_PAGE_TWO, ui_.Context());
    CMyPropertySheet sheet("设置", ui_.Context());
    sheet.AddPage(one);
    sheet.AddPage(two);
    sheet.SetActivateAllPages(all);
    bool secondExists = false;
    int current = -1;
    ActInNextLoop([&] {
      secondExists = PropSheet_IndexToHwnd(sheet.Window(), 1) != nullptr;
      current = PropSheet_HwndToIndex(sheet.Window(), PropSheet_GetCurrentPageHwnd(sheet.Window()));
      PropSheet_PressButton(sheet.Window(), PSBTN_CANCEL);
    });
    sheet.RunModal(nullptr);
    EXPECT_EQ(secondExists, all);
    EXPECT_EQ(current, 0) << "the first page stays selected";
  }
}

TEST_F(PropertySheetTest, PagesGetTooltipsForControlsWithTextsOnly) {
  int tools = -1;
  std::wstring text;
  bool editHasTip = true;
  ActInNextLoop([&] {
    HWND page = PageWindow(0);
    tools = one_.Appearance().Tips().ToolCount();
    one_.Appearance().Tips().TextOf(::GetDlgItem(page, IDC_TEST_BUTTON), text);
    editHasTip = one_.Appearance().Tips().TextOf(::GetDlgItem(page, IDC_TEST_EDIT), text = L"");
    PropSheet_PressButton(sheet_.Window(), PSBTN_CANCEL);
  });
  sheet_.RunModal(nullptr);
  EXPECT_EQ(tools, 1);
  EXPECT_FALSE(editHasTip);
}

TEST_F(PropertySheetTest, OkAppliesEveryCreatedPageAndEndsPositive) {
  ActInNextLoop([&] {
    PropSheet_SetCurSel(sheet_.Window(), nullptr, 1);
    PropSheet_PressButton(sheet_.Window(), PSBTN_OK);
  });
  EXPECT_GT(sheet_.RunModal(nullptr), 0);
  EXPECT_EQ(one_.applies, 1);
  EXPECT_EQ(two_.applies, 1);
}

TEST_F(PropertySheetTest, APageThatRefusesOkKeepsTheSheetOpen) {
  one_.acceptApply = false;
  bool openAfterOk = false;
  ActInNextLoop([&] {
    PropSheet_PressButton(sheet_.Window(), PSBTN_OK);
    PumpMessages(30);
    openAfterOk = PropSheet_GetCurrentPageHwnd(sheet_.Window()) != nullptr;
    PropSheet_PressButton(sheet_.Window(), PSBTN_CANCEL);
  });
  EXPECT_EQ(sheet_.RunModal(nullptr), 0);
  EXPECT_TRUE(openAfterOk);
  EXPECT_EQ(one_.resets, 1);
}

// A click on a tab of the sheet, as the mouse gives it.
void ClickTab(HWND sheet, int index) {
  HWND tabs = PropSheet_GetTabControl(sheet);
  RECT rect{};
  TabCtrl_GetItemRect(tabs, index, &rect);
  LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  ::SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageW(tabs, WM_LBUTTONUP, 0, at);
}

TEST_F(PropertySheetTest, APageThatRefusesToBeLeftKeepsTheSheetOnItForTabsAndOk) {
  one_.acceptLeave = false;
  int afterTab = -1;
  bool openAfterOk = false;
  int afterAccepting = -1;
  auto current = [&] { return PropSheet_HwndToIndex(sheet_.Window(), PropSheet_GetCurrentPageHwnd(sheet_.Window())); };
  ActInNextLoop([&] {
    ClickTab(sheet_.Window(), 1);
    PumpMessages(30);
    afterTab = current();
    PropSheet_PressButton(sheet_.Window(), PSBTN_OK);
    PumpMessages(30);
    openAfterOk = PropSheet_GetCurrentPageHwnd(sheet_.Window()) != nullptr;
    one_.acceptLeave = true;
    ClickTab(sheet_.Window(), 1);
    PumpMessages(30);
    afterAccepting = current();
    PropSheet_PressButton(sheet_.Window(), PSBTN_CANCEL);
  });
  EXPECT_EQ(sheet_.RunModal(nullptr), 0);
  EXPECT_EQ(afterTab, 0);
  EXPECT_TRUE(openAfterOk);
  EXPECT_EQ(one_.applies, 0) << "OK stops at the page that refuses to be left";
  EXPECT_EQ(afterAccepting, 1);
  EXPECT_GE(one_.leaves, 3);
}

TEST_F(PropertySheetTest, TheOwnerIsDisabledWhileTheSheetRunsAndTheSheetHasNoApplyButton) {
  TestDialog owner(ui_.Context());
  bool ownerEnabled = true;
  bool applyButton = true;
  RunModalWith(owner, nullptr, [&](HWND ownerWindow) {
    ActInNextLoop([&] {
      ownerEnabled = ::IsWindowEnabled(ownerWindow) != FALSE;
      HWND apply = ::GetDlgItem(sheet_.Window(), 0x3021);  // the sheet's Apply button
      applyButton = apply && ::IsWindowVisible(apply);
      PropSheet_PressButton(sheet_.Window(), PSBTN_CANCEL);
    });
    sheet_.RunModal(ownerWindow);
    EXPECT_TRUE(::IsWindowEnabled(ownerWindow));
  });
  EXPECT_FALSE(ownerEnabled);
  EXPECT_FALSE(applyButton);
}

}  // namespace

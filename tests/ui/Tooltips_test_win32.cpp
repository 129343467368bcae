// Tooltips from the string table: which controls get one, with which text, and when they show.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "ModalDriver_win32.h"
#include "TestDialog_win32.h"
#include "base/Texts.h"
#include "ui/WideText.h"

namespace {

class TooltipsTest : public ::testing::Test {
 protected:
  UiSettings ui;
};

struct ToolCase {
  int id;
  bool hasTip;
};

TEST_F(TooltipsTest, ExactlyTheControlsWhoseIdHasATextGetThatTextAsTooltip) {
  const ToolCase cases[] = {
      {IDC_TEST_BUTTON, true},         {IDC_TEST_COMBO, true}, {IDC_TEST_NOTIFY_STATIC, true},
      {IDC_TEST_DISABLED_STATIC, true}, {IDC_TEST_EDIT, false}, {IDC_TEST_GROUP, false},
      {IDC_TEST_LIST, false},          {IDOK, false},          {IDCANCEL, false},
  };
  TestDialog dialog(ui.Context());
  RunModalWith(dialog, nullptr, [&](HWND w) {
    const ToolTip& tips = dialog.Appearance().Tips();
    EXPECT_EQ(tips.ToolCount(), 4);
    for (ToolCase c : cases) {
      std::wstring text;
      EXPECT_EQ(tips.TextOf(::GetDlgItem(w, c.id), text), c.hasTip) << c.id;
      if (c.hasTip) {
        EXPECT_EQ(Narrow(text), TextOf(c.id)) << c.id;
      }
    }
  });
}

struct OwnerCase {
  const char* name;
  int pointOver;       // the control whose centre the mouse is over
  bool fromInside;     // the message comes from a window inside that control (the combo box's edit field)
  int expectedOwner;   // 0: none
};

TEST_F(TooltipsTest, MouseMessagesAreRelayedAsComingFromTheControlTheyAreAbout) {
  const OwnerCase cases[] = {
      {"edit field inside the combo box", IDC_TEST_COMBO, true, IDC_TEST_COMBO},
      {"disabled static (the dialog gets its mouse)", IDC_TEST_DISABLED_STATIC, false, IDC_TEST_DISABLED_STATIC},
      {"button inside a group box", IDC_TEST_BUTTON, false, IDC_TEST_BUTTON},
  };
  TestDialog dialog(ui.Context());
  RunModalWith(dialog, nullptr, [&](HWND w) {
    for (const OwnerCase& c : cases) {
      HWND control = ::GetDlgItem(w, c.pointOver);
      HWND source = c.fromInside ? ::GetWindow(control, GW_CHILD) : w;
      ASSERT_NE(source, nullptr) << c.name;
      RECT rect = WindowRectOf(control);
      POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
      ::ScreenToClient(source, &point);
      EXPECT_EQ(ToolOwnerOf(w, source, point), ::GetDlgItem(w, c.expectedOwner)) << c.name;
    }
    RECT group = ControlRect(w, IDC_TEST_GROUP);
    POINT frameOnly{group.right - 3, group.bottom - 3};
    EXPECT_EQ(ToolOwnerOf(w, w, frameOnly), ::GetDlgItem(w, IDC_TEST_GROUP)) << "a group box's own frame";
  });
}

// The tooltip a mouse move over control brings up, if any (the current tool's window).
HWND TipShownFor(HWND dialog, HWND tip, int controlId) {
  HWND control = ::GetDlgItem(dialog, controlId);
  RECT rect = WindowRectOf(control);
  ::SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  ::PostMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  PumpUntil([tip] { return ::IsWindowVisible(tip) != FALSE; }, 500);
  TOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  if (!::IsWindowVisible(tip) || !::SendMessageW(tip, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&info))) {
    return nullptr;
  }
  return reinterpret_cast<HWND>(info.uId);
}

TEST_F(TooltipsTest, TheToolTipsSettingSilencesTooltipsAtOnce) {
  TestDialog dialog(ui.Context());
  RunModalWith(dialog, nullptr, [&](HWND w) {
    HWND tip = dialog.Appearance().Tips().Window();
    EXPECT_EQ(TipShownFor(w, tip, IDC_TEST_BUTTON), ::GetDlgItem(w, IDC_TEST_BUTTON));
    ui.settings.m_toolTips = 0;
    ::ShowWindow(tip, SW_HIDE);
    EXPECT_EQ(TipShownFor(w, tip, IDC_TEST_BUTTON), nullptr);
    ui.settings.m_toolTips = 1;
    dialog.EnableToolTips(false);
    EXPECT_EQ(TipShownFor(w, tip, IDC_TEST_BUTTON), nullptr) << "the dialog's own switch";
  });
}

}  // namespace

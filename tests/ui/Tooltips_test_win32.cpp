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

// The tool whose tooltip a mouse move over window brings up, nullptr when none shows. The move is posted to
// receiver, the window that gets the mouse there (a disabled control's dialog). A tip that should come is
// waited for; where none should, the test watches for a while.
HWND TipShownOver(HWND tip, HWND window, HWND receiver, bool expected = true) {
  ::SendMessageW(tip, TTM_POP, 0, 0);
  RECT rect = WindowRectOf(window);
  POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  ::SetCursorPos(point.x, point.y);
  ::ScreenToClient(receiver, &point);
  ::PostMessageW(receiver, WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
  PumpUntil([tip] { return ::IsWindowVisible(tip) != FALSE; }, expected ? kPumpCeilingMs : kQuietMs);
  TOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  if (!::IsWindowVisible(tip) || !::SendMessageW(tip, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&info))) {
    return nullptr;
  }
  return reinterpret_cast<HWND>(info.uId);
}

// Each step moves the mouse onto another control, so that each is a new chance for a tooltip to show.
TEST_F(TooltipsTest, TooltipsShowOverTheirControlsUnlessSwitchedOff) {
  TestDialog dialog(ui.Context());
  RunModalWith(dialog, nullptr, [&](HWND w) {
    HWND tip = dialog.Appearance().Tips().Window();
    HWND button = ::GetDlgItem(w, IDC_TEST_BUTTON);
    HWND combo = ::GetDlgItem(w, IDC_TEST_COMBO);
    HWND disabled = ::GetDlgItem(w, IDC_TEST_DISABLED_STATIC);
    HWND notifying = ::GetDlgItem(w, IDC_TEST_NOTIFY_STATIC);
    EXPECT_EQ(TipShownOver(tip, button, button), button);
    EXPECT_EQ(TipShownOver(tip, disabled, w), disabled) << "a disabled control's mouse goes to the dialog";
    HWND comboEdit = ::GetWindow(combo, GW_CHILD);
    EXPECT_EQ(TipShownOver(tip, comboEdit, comboEdit), combo) << "the edit field inside the combo box";
    ui.settings.m_toolTips = 0;
    EXPECT_EQ(TipShownOver(tip, notifying, notifying, false), nullptr) << "ToolTips off";
    ui.settings.m_toolTips = 1;
    dialog.EnableToolTips(false);
    EXPECT_EQ(TipShownOver(tip, button, button, false), nullptr) << "the dialog's own switch off";
    dialog.EnableToolTips(true);
    EXPECT_EQ(TipShownOver(tip, notifying, notifying), notifying) << "both on again";
  });
}

}  // namespace

// Proportional layout: how controls follow a dialog's size, the sizing border, grip and tracking limits.
#include <gtest/gtest.h>

#include "ModalDriver_win32.h"
#include "TestDialog_win32.h"
#include "ui/ResizeStep.h"

namespace {

struct StepCase {
  const char* name;
  int delta, part, times;
  bool isSize;
  int startValue;
  int expectedValue;
};

TEST(ProportionalStep, CarriesFractionsOfAPixelSoThatManyStepsAddUpExactly) {
  const StepCase cases[] = {
      {"a hundred 1-pixel steps at 50 %", 1, 50, 100, false, 10, 60},
      {"three 1-pixel steps at 50 %", 1, 50, 3, false, 10, 11},
      {"a hundred 1-pixel steps at 33 %", 1, 33, 100, false, 0, 33},
      {"one 100-pixel step at 33 %", 100, 33, 1, false, 0, 33},
      {"shrinking by 7 pixels ten times at 100 %", -7, 100, 10, true, 100, 30},
      {"shrinking a size below zero stops at zero", -50, 100, 3, true, 120, 0},
      {"a share of 0 never moves", 25, 0, 4, false, 5, 5},
  };
  for (const StepCase& c : cases) {
    int value = c.startValue, remainder = 0;
    for (int i = 0; i < c.times; ++i) ApplyProportionalStep({c.delta, c.part, 100, c.isSize}, value, remainder);
    EXPECT_EQ(value, c.expectedValue) << c.name;
  }
}

TEST(ProportionalStep, ASizeThatWasCutAtZeroGrowsBackOnlyAfterTheDeficit) {
  int value = 10, remainder = 0;
  ApplyProportionalStep({-30, 100, 100, true}, value, remainder);
  EXPECT_EQ(value, 0);
  ApplyProportionalStep({15, 100, 100, true}, value, remainder);
  EXPECT_EQ(value, 0);
  ApplyProportionalStep({10, 100, 100, true}, value, remainder);
  EXPECT_EQ(value, 5);
}

class ResizeCtrlTest : public ::testing::Test {
 protected:
  UiSettings ui;
};

struct AddCase {
  int id, left, top, width, height;
  bool accepted;
};

TEST_F(ResizeCtrlTest, AddRefusesSharesOutsideTheWhole) {
  const AddCase cases[] = {
      {IDC_TEST_BUTTON, 60, 0, 50, 0, false}, {IDC_TEST_BUTTON, 0, 60, 0, 50, false},
      {IDC_TEST_BUTTON, -1, 0, 0, 0, false},  {IDC_TEST_BUTTON, 0, 0, 101, 0, false},
      {4711, 0, 0, 100, 100, false},          {IDC_TEST_BUTTON, 0, 0, 100, 100, true},
      {IDC_TEST_BUTTON, 50, 50, 50, 50, true},
  };
  TestDialog dialog(ui.Context());
  RunModalWith(dialog, nullptr, [&](HWND) {
    for (AddCase c : cases) {
      EXPECT_EQ(dialog.Resizer().Add(c.id, c.left, c.top, c.width, c.height), c.accepted)
          << c.id << ": " << c.left << ", " << c.top << ", " << c.width << ", " << c.height;
    }
  });
}

TEST_F(ResizeCtrlTest, ControlsMoveAndGrowByTheirSharesOfTheChange) {
  TestDialog dialog(ui.Context());
  dialog.onInit = [](TestDialog& self) {
    self.Resizer().SetEnabled(true);
    self.Resizer().Add(IDC_TEST_BUTTON, 50, 0, 0, 0);
    self.Resizer().Add(IDC_TEST_LIST, 0, 0, 100, 100);
    self.Resizer().Add(IDOK, 50, 100, 0, 0);
    self.Resizer().Add(IDC_TEST_EDIT, 25, 50, 50, 0);
  };
  RunModalWith(dialog, nullptr, [&](HWND w) {
    RECT button = ControlRect(w, IDC_TEST_BUTTON), list = ControlRect(w, IDC_TEST_LIST);
    RECT ok = ControlRect(w, IDOK), edit = ControlRect(w, IDC_TEST_EDIT), cancel = ControlRect(w, IDCANCEL);
    ResizeWindowBy(w, 100, 60);
    RECT button2 = ControlRect(w, IDC_TEST_BUTTON), list2 = ControlRect(w, IDC_TEST_LIST);
    RECT ok2 = ControlRect(w, IDOK), edit2 = ControlRect(w, IDC_TEST_EDIT), cancel2 = ControlRect(w, IDCANCEL);
    EXPECT_EQ(button2.left - button.left, 50);
    EXPECT_EQ(button2.top, button.top);
    EXPECT_EQ(list2.right - list2.left, list.right - list.left + 100);
    EXPECT_EQ(list2.bottom - list2.top, list.bottom - list.top + 60);
    EXPECT_EQ(ok2.left - ok.left, 50);
    EXPECT_EQ(ok2.top - ok.top, 60);
    EXPECT_EQ(edit2.left - edit.left, 25);
    EXPECT_EQ(edit2.top - edit.top, 30);
    EXPECT_EQ(edit2.right - edit2.left, edit.right - edit.left + 50);
    EXPECT_TRUE(EqualRect(&cancel, &cancel2)) << "a control that was not added stays";
  });
}

TEST_F(ResizeCtrlTest, AHundredOnePixelResizesMoveAHalfShareControlByExactlyFiftyPixels) {
  TestDialog dialog(ui.Context());
  dialog.onInit = [](TestDialog& self) {
    self.Resizer().SetEnabled(true);
    self.Resizer().Add(IDC_TEST_BUTTON, 50, 0, 0, 0);
  };
  RunModalWith(dialog, nullptr, [&](HWND w) {
    RECT before = ControlRect(w, IDC_TEST_BUTTON);
    for (int i = 0; i < 100; ++i) ResizeWindowBy(w, 1, 0);
    EXPECT_EQ(ControlRect(w, IDC_TEST_BUTTON).left - before.left, 50);
  });
}

TEST_F(ResizeCtrlTest, EnablingAddsASizingBorderAroundTheSameClientAreaAndDisablingTakesItAway) {
  TestDialog dialog(ui.Context());
  RunModalWith(dialog, nullptr, [&](HWND w) {
    RECT client = ClientRectOf(w);
    EXPECT_FALSE(::GetWindowLongPtrW(w, GWL_STYLE) & WS_THICKFRAME) << "off until a dialog switches it on";
    dialog.Resizer().SetEnabled(true);
    EXPECT_TRUE(::GetWindowLongPtrW(w, GWL_STYLE) & WS_THICKFRAME);
    RECT sizable = ClientRectOf(w);
    EXPECT_TRUE(EqualRect(&client, &sizable));
    dialog.Resizer().SetEnabled(false);
    EXPECT_FALSE(::GetWindowLongPtrW(w, GWL_STYLE) & WS_THICKFRAME);
    RECT fixed = ClientRectOf(w);
    EXPECT_TRUE(EqualRect(&client, &fixed));
  });
}

TEST_F(ResizeCtrlTest, TheDialogCannotBeMadeSmallerThanItWasWhenCreated) {
  TestDialog dialog(ui.Context());
  RunModalWith(dialog, nullptr, [&](HWND w) {
    dialog.Resizer().SetEnabled(true);
    RECT rect = WindowRectOf(w);
    MINMAXINFO info{};
    ::SendMessageW(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, rect.right - rect.left);
    EXPECT_EQ(info.ptMinTrackSize.y, rect.bottom - rect.top);
  });
}

TEST_F(ResizeCtrlTest, TheGripInTheBottomRightCornerSizesTheWindow) {
  TestDialog dialog(ui.Context());
  RunModalWith(dialog, nullptr, [&](HWND w) {
    dialog.Resizer().SetEnabled(true);
    RECT grip = dialog.Resizer().GripRect();
    RECT client = ClientRectOf(w);
    EXPECT_EQ(grip.right, client.right);
    EXPECT_EQ(grip.bottom, client.bottom);
    POINT inside{grip.right - 2, grip.bottom - 2};
    ::ClientToScreen(w, &inside);
    EXPECT_EQ(::SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(inside.x, inside.y)), HTBOTTOMRIGHT);
    dialog.Resizer().SetGripEnabled(false);
    EXPECT_NE(::SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(inside.x, inside.y)), HTBOTTOMRIGHT);
  });
}

struct DragCase {
  const char* name;
  WPARAM hitCode;
  int dx, dy;
  RECT expectedChange;  // added to left, top, right, bottom
};

TEST_F(ResizeCtrlTest, DraggingABorderMovesOnlyItsEdgesAndStopsAtTheMinimumSize) {
  const DragCase cases[] = {
      {"bottom-right corner outwards", HTBOTTOMRIGHT, 30, 20, {0, 0, 30, 20}},
      {"left edge outwards", HTLEFT, -25, 40, {-25, 0, 0, 0}},
      {"top edge outwards", HTTOP, 10, -15, {0, -15, 0, 0}},
      {"right edge inwards stops at the minimum", HTRIGHT, -40, 0, {0, 0, 0, 0}},
  };
  for (const DragCase& c : cases) {
    TestDialog dialog(ui.Context());
    RunModalWith(dialog, nullptr, [&](HWND w) {
      dialog.Resizer().SetEnabled(true);
      ::SetWindowPos(w, nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      RECT before = WindowRectOf(w);
      POINT start{(before.left + before.right) / 2, (before.top + before.bottom) / 2};
      ::SendMessageW(w, WM_NCLBUTTONDOWN, c.hitCode, MAKELPARAM(start.x, start.y));
      POINT moved{start.x + c.dx, start.y + c.dy};
      ::ScreenToClient(w, &moved);
      ::SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(moved.x, moved.y));
      ::SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(moved.x, moved.y));
      RECT after = WindowRectOf(w);
      EXPECT_EQ(after.left - before.left, c.expectedChange.left) << c.name;
      EXPECT_EQ(after.top - before.top, c.expectedChange.top) << c.name;
      EXPECT_EQ(after.right - before.right, c.expectedChange.right) << c.name;
      EXPECT_EQ(after.bottom - before.bottom, c.expectedChange.bottom) << c.name;
    });
  }
}

}  // namespace

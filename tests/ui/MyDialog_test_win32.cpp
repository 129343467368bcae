// The dialog base: modal run and end, handlers, the pre-dispatch hook, font, layout scale.
#include <gtest/gtest.h>

#include <stdexcept>

#include "ModalDriver_win32.h"
#include "TestDialog_win32.h"
#include "ui/WideText.h"

namespace {

class MyDialogTest : public ::testing::Test {
 protected:
  UiSettings ui;
};

TEST_F(MyDialogTest, EndingDuringInitialisationNeverShowsTheDialog) {
  TestDialog dialog(ui.Context());
  dialog.onInit = [](TestDialog& self) { self.End(7); };
  EXPECT_EQ(dialog.RunModal(nullptr), 7);
  EXPECT_FALSE(dialog.everShown);
  EXPECT_EQ(dialog.Window(), nullptr);
}

TEST_F(MyDialogTest, ADialogWithoutTemplateFailsToRun) {
  class Missing : public CMyDialog {
   public:
    explicit Missing(const DialogContext& context) : CMyDialog(4711, context) {}
  } dialog(ui.Context());
  EXPECT_EQ(dialog.RunModal(nullptr), kDialogFailed);
}

// Keys and the close box are posted: the dialog's own loop handles them after the action.
struct EndingCase {
  const char* name;
  std::function<void(HWND)> act;
  INT_PTR expected;
};

TEST_F(MyDialogTest, TheUsersWaysOfClosingEndWithTheirButtonsId) {
  const EndingCase cases[] = {
      {"OK button", [](HWND w) { ::SendDlgItemMessageW(w, IDOK, BM_CLICK, 0, 0); }, IDOK},
      {"Cancel button", [](HWND w) { ::SendDlgItemMessageW(w, IDCANCEL, BM_CLICK, 0, 0); }, IDCANCEL},
      {"Enter key",
       [](HWND w) {
         ::SetFocus(::GetDlgItem(w, IDC_TEST_EDIT));
         ::PostMessageW(::GetDlgItem(w, IDC_TEST_EDIT), WM_KEYDOWN, VK_RETURN, 0);
       },
       IDOK},
      {"Esc key",
       [](HWND w) {
         ::SetFocus(::GetDlgItem(w, IDC_TEST_EDIT));
         ::PostMessageW(::GetDlgItem(w, IDC_TEST_EDIT), WM_KEYDOWN, VK_ESCAPE, 0);
       },
       IDCANCEL},
      {"close box", [](HWND w) { ::PostMessageW(w, WM_CLOSE, 0, 0); }, IDCANCEL},
  };
  for (const EndingCase& c : cases) {
    TestDialog dialog(ui.Context());
    EXPECT_EQ(RunModalWith(dialog, nullptr, c.act), c.expected) << c.name;
  }
}

TEST_F(MyDialogTest, AnExceptionInAHandlerEndsTheDialogAsFailedAndGoesNoFurther) {
  TestDialog dialog(ui.Context());
  dialog.onCommand = [](int id) -> bool {
    if (id == IDC_TEST_BUTTON) throw std::runtime_error("handler failed");
    return false;
  };
  INT_PTR result = RunModalWith(dialog, nullptr, [](HWND w) {
    ::SendDlgItemMessageW(w, IDC_TEST_BUTTON, BM_CLICK, 0, 0);
  });
  EXPECT_EQ(result, kDialogFailed);
}

TEST_F(MyDialogTest, TheOwnerIsDisabledOnlyWhileANestedDialogRuns) {
  TestDialog outer(ui.Context());
  bool ownerEnabledDuringInner = true;
  INT_PTR innerResult = 0;
  outer.onCommand = [&](int id) {
    if (id != IDC_TEST_BUTTON) return false;
    TestDialog inner(ui.Context());
    innerResult = RunModalWith(inner, outer.Window(), [&](HWND w) {
      ownerEnabledDuringInner = ::IsWindowEnabled(outer.Window()) != FALSE;
      EXPECT_EQ(::GetWindow(w, GW_OWNER), outer.Window());
      ::SendDlgItemMessageW(w, IDOK, BM_CLICK, 0, 0);
    });
    return true;
  };
  bool ownerEnabledAfter = false;
  RunModalWith(outer, nullptr, [&](HWND w) {
    ::SendDlgItemMessageW(w, IDC_TEST_BUTTON, BM_CLICK, 0, 0);
    ownerEnabledAfter = ::IsWindowEnabled(w) != FALSE;
  });
  EXPECT_EQ(innerResult, IDOK);
  EXPECT_FALSE(ownerEnabledDuringInner);
  EXPECT_TRUE(ownerEnabledAfter);
}

TEST_F(MyDialogTest, PreTranslateMessageSeesAControlsKeysBeforeTheControl) {
  TestDialog dialog(ui.Context());
  int swallowed = 0;
  dialog.preTranslate = [&](MSG& message) {
    if (message.message != WM_CHAR || message.wParam != L'x') return false;
    ++swallowed;
    return true;
  };
  std::string typed;
  RunModalWithSteps(dialog, nullptr,
                    {[](HWND w) {
                       HWND edit = ::GetDlgItem(w, IDC_TEST_EDIT);
                       for (wchar_t c : {L'x', L'y', L'x', L'z'}) ::PostMessageW(edit, WM_CHAR, c, 1);
                     },
                     [&](HWND w) { typed = ReadWindowText(::GetDlgItem(w, IDC_TEST_EDIT)); }});
  EXPECT_EQ(typed, "yz");
  EXPECT_EQ(swallowed, 2);
}

struct FontCase {
  uint32_t ntMajorVersion;
  bool tahoma;
};

TEST_F(MyDialogTest, ControlsGetTahomaOfTheTemplateFontsHeightExceptOnNt4) {
  for (FontCase c : {FontCase{5, true}, FontCase{6, true}, FontCase{4, false}}) {
    TestDialog dialog(ui.Context(c.ntMajorVersion));
    RunModalWith(dialog, nullptr, [&](HWND w) {
      LOGFONTW dialogFont{}, controlFont{};
      ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(w, WM_GETFONT, 0, 0)), sizeof dialogFont, &dialogFont);
      for (int id : {IDC_TEST_BUTTON, IDC_TEST_EDIT, IDC_TEST_GROUP, IDOK}) {
        HFONT font = reinterpret_cast<HFONT>(::SendDlgItemMessageW(w, id, WM_GETFONT, 0, 0));
        ::GetObjectW(font, sizeof controlFont, &controlFont);
        EXPECT_EQ(controlFont.lfHeight, dialogFont.lfHeight) << id;
        EXPECT_EQ(std::wstring(controlFont.lfFaceName) == L"Tahoma", c.tahoma) << "NT " << c.ntMajorVersion << " control " << id;
      }
    });
  }
}

TEST_F(MyDialogTest, LayoutScaleIsTheWindowSizeOverTheDesignSize) {
  TestDialog dialog(ui.Context());
  RunModalWith(dialog, nullptr, [&](HWND w) {
    RECT rect = WindowRectOf(w);
    dialog.ComputeLayoutScale((rect.right - rect.left) * 2, (rect.bottom - rect.top) * 4);
  });
  EXPECT_FLOAT_EQ(dialog.ScaleX(), 0.5f);
  EXPECT_FLOAT_EQ(dialog.ScaleY(), 0.25f);
}

TEST_F(MyDialogTest, CentringPutsTheDialogOverTheMiddleOfItsOwner) {
  TestDialog owner(ui.Context());
  RunModalWith(owner, nullptr, [&](HWND ownerWindow) {
    ::SetWindowPos(ownerWindow, nullptr, 40, 30, 600, 500, SWP_NOZORDER);
    TestDialog dialog(ui.Context());
    RunModalWith(dialog, ownerWindow, [&](HWND w) {
      dialog.CenterOverOwner();
      RECT inner = WindowRectOf(w);
      EXPECT_NEAR((inner.left + inner.right) / 2, 40 + 300, 1);
      EXPECT_NEAR((inner.top + inner.bottom) / 2, 30 + 250, 1);
    });
  });
}

}  // namespace

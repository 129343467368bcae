#pragma once
// A CMyDialog over the tests' control template whose behaviour each test fills in, and the settings and
// context the dialogs of a test run with.

#include <windows.h>

#include <functional>

#include "TestDialogsRes.h"
#include "settings/Settings.h"
#include "ui/MyDialog.h"

struct UiSettings {
  AppSettings settings;
  DialogContext Context(uint32_t ntMajorVersion = 6) {
    return DialogContext{settings.m_toolTips, settings.m_windowFx, ntMajorVersion == 4};
  }
};

class TestDialog : public CMyDialog {
 public:
  explicit TestDialog(const DialogContext& context) : CMyDialog(IDD_TEST_CONTROLS, context) {}

  std::function<void(TestDialog&)> onInit;
  std::function<bool(int id)> onCommand;
  std::function<bool(MSG&)> preTranslate;
  std::function<void(UINT, WPARAM)> onMessage;
  bool everShown = false;

  using CMyDialog::CenterOverOwner;

 protected:
  bool OnInitDialog() override {
    CMyDialog::OnInitDialog();
    if (onInit) onInit(*this);
    return true;
  }
  bool OnCommand(int id, int, HWND) override { return onCommand && onCommand(id); }
  bool PreTranslateMessage(MSG& message) override {
    if (preTranslate && preTranslate(message)) return true;
    return CMyDialog::PreTranslateMessage(message);
  }
  std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_SHOWWINDOW && wParam) everShown = true;
    if (onMessage) onMessage(message, wParam);
    return CMyDialog::WindowProc(message, wParam, lParam);
  }
};

inline RECT WindowRectOf(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect;
}

inline RECT ClientRectOf(HWND window) {
  RECT rect{};
  ::GetClientRect(window, &rect);
  return rect;
}

// A control's rectangle in its dialog's client coordinates.
inline RECT ControlRect(HWND dialog, int id) {
  RECT rect = WindowRectOf(::GetDlgItem(dialog, id));
  ::MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

inline void ResizeWindowBy(HWND window, int dx, int dy) {
  RECT rect = WindowRectOf(window);
  ::SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left + dx, rect.bottom - rect.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

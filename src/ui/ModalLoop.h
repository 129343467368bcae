#pragma once
// Our dialogs run in our own message loop instead of DialogBoxParam's. Every queued message then passes the
// PreTranslateMessage of each of our dialogs it is meant for (the dialog of its window and the dialogs
// around it) before it is dispatched: tooltips see the mouse, the main window sees its keys and
// accelerators first. A WH_MSGFILTER hook would see the messages too, but only inside the system's loops,
// and could not keep a dialog that ends during its initialisation from ever being shown.

#include <windows.h>

#include <functional>

// True when one of our dialogs consumed the message.
bool PreTranslateForDialogs(MSG& message);

// Pumps the thread's messages until finished() is true, checked after every message. navigate gives the
// keyboard navigation of the window (IsDialogMessage) a chance before dispatch. Returns false when WM_QUIT
// arrived first; the quit is posted again for the loop outside.
bool RunModalLoop(const std::function<bool()>& finished, const std::function<bool(MSG&)>& navigate);

// Disables a modal window's owner for as long as it runs, and enables it again (before the modal window is
// destroyed, so that the owner is activated next). An owner that was already disabled is left alone.
class OwnerDisabler {
 public:
  explicit OwnerDisabler(HWND owner);
  OwnerDisabler(const OwnerDisabler&) = delete;
  OwnerDisabler& operator=(const OwnerDisabler&) = delete;
  ~OwnerDisabler() { Release(); }
  void Release();

 private:
  HWND owner_ = nullptr;
};

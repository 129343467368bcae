#include "ui/ModalLoop.h"

#include "ui/DialogWindow.h"

bool PreTranslateForDialogs(MSG& message) {
  for (HWND window = message.hwnd; window; window = ::GetAncestor(window, GA_PARENT)) {
    if (DialogWindow* dialog = DialogWindow::FromWindow(window)) {
      if (dialog->PreTranslateMessage(message)) return true;
    }
    if (::GetAncestor(window, GA_ROOT) == window) break;
  }
  return false;
}

bool RunModalLoop(const std::function<bool()>& finished, const std::function<bool(MSG&)>& navigate) {
  while (!finished()) {
    MSG message;
    // Messages sent by other threads and processes are handled inside PeekMessage. Such a handler can
    // run a nested loop (a message box) that takes the message which finishes this loop, so the loop
    // looks again before it waits; GetMessage would go on waiting for a message that has already come.
    if (!::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (!finished()) ::MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      continue;
    }
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    if (PreTranslateForDialogs(message) || navigate(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return true;
}

OwnerDisabler::OwnerDisabler(HWND owner) {
  if (owner && ::IsWindowEnabled(owner)) {
    ::EnableWindow(owner, FALSE);
    owner_ = owner;
  }
}

void OwnerDisabler::Release() {
  if (owner_) ::EnableWindow(owner_, TRUE);
  owner_ = nullptr;
}

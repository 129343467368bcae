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
    BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) return false;
    if (got == 0) {
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

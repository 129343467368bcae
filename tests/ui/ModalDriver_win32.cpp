#include "ModalDriver_win32.h"

#include <utility>

#include "ui/ModalLoop.h"

namespace {

std::function<void()>& PendingAction() {
  static std::function<void()> action;
  return action;
}

void CALLBACK RunPendingAction(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  std::function<void()> action = std::exchange(PendingAction(), nullptr);
  if (action) action();
}

}  // namespace

void ActInNextLoop(const std::function<void()>& act) {
  PendingAction() = act;
  ::SetTimer(nullptr, 0, 1, &RunPendingAction);
}

INT_PTR RunModalWithSteps(CMyDialog& dialog, HWND owner, const std::vector<std::function<void(HWND)>>& steps) {
  // Timer messages come after every posted message: the loop has handled what a step posted when the next
  // step's timer arrives.
  std::function<void(std::size_t)> runStep = [&](std::size_t index) {
    if (dialog.Ended() || !dialog.Window()) return;
    if (index == steps.size()) {
      dialog.End(kLeftOpen);
      return;
    }
    steps[index](dialog.Window());
    ActInNextLoop([&runStep, index] { runStep(index + 1); });
  };
  ActInNextLoop([&runStep] { runStep(0); });
  INT_PTR result = dialog.RunModal(owner);
  PendingAction() = nullptr;
  return result;
}

INT_PTR RunModalWith(CMyDialog& dialog, HWND owner, const std::function<void(HWND)>& act) {
  return RunModalWithSteps(dialog, owner, {act});
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  while (!done() && ::GetTickCount64() < deadline) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (PreTranslateForDialogs(message)) continue;
      // The keyboard navigation that the loop of the message's dialog gives it.
      HWND root = message.hwnd ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
      if (root && ::GetClassLongPtrW(root, GCW_ATOM) == 32770 && ::IsDialogMessageW(root, &message)) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    if (!done()) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return done();
}

void PumpMessages(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

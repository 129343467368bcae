#include "ui/WindowFader.h"

#include <atomic>
#include <thread>

#include "ui/FadeSteps.h"

namespace {

using SetLayeredAttributes = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

// The fade state of the process. Each direction announces itself with its flag, waits for the other one
// to end, and stops when the other one's flag appears.
struct FadeState {
  std::atomic<int> current{255};
  std::atomic<int> minAlpha{128};
  std::atomic<int> maxAlpha{255};
  std::atomic<int> delayMs{10};
  std::atomic<bool> fadingOut{false};
  std::atomic<bool> fadingIn{false};
};

FadeState& State() {
  static FadeState state;
  return state;
}

// Looked up rather than linked: systems before Windows 2000 have no layered windows.
SetLayeredAttributes LayeredAttributesFunction() {
  static const SetLayeredAttributes function = [] {
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    FARPROC address = user32 ? ::GetProcAddress(user32, "SetLayeredWindowAttributes") : nullptr;
    return reinterpret_cast<SetLayeredAttributes>(reinterpret_cast<void (*)()>(address));
  }();
  return function;
}

void SetAlpha(HWND window, int alpha) {
  if (SetLayeredAttributes set = LayeredAttributesFunction()) set(window, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
}

void Fade(HWND window, bool out) {
  FadeState& state = State();
  std::atomic<bool>& mine = out ? state.fadingOut : state.fadingIn;
  std::atomic<bool>& other = out ? state.fadingIn : state.fadingOut;
  mine = true;
  while (other) ::Sleep(1);
  int minAlpha = state.minAlpha;
  int maxAlpha = state.maxAlpha;
  int current = state.current;
  auto steps = out ? FadeOutSteps(current, minAlpha, maxAlpha) : FadeInSteps(current, minAlpha, maxAlpha);
  for (int alpha : steps) {
    if (other) break;
    state.current = alpha;
    ::Sleep(static_cast<DWORD>(state.delayMs.load()));
    SetAlpha(window, alpha);
  }
  mine = false;
}

void StartFade(HWND window, bool out) { std::thread(Fade, window, out).detach(); }

}  // namespace

void WindowFader::Attach(HWND window, int minAlpha, int maxAlpha, int delayMs) {
  if (!windowFx_) return;
  if (!LayeredAttributesFunction()) {
    enabled_ = false;
    return;
  }
  FadeState& state = State();
  state.minAlpha = minAlpha;
  state.maxAlpha = maxAlpha;
  state.delayMs = delayMs;
  state.current = maxAlpha;
  ::SetWindowLongPtrW(window, GWL_EXSTYLE, ::GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  SetAlpha(window, maxAlpha);
}

void WindowFader::OnMessage(HWND window, UINT message, WPARAM wParam) {
  if (!windowFx_ || !enabled_) return;
  switch (message) {
    case WM_NCLBUTTONDOWN:
      pressed_ = true;
      break;
    case WM_SYSCOMMAND:
      if (wParam == (SC_MOVE | HTCAPTION) && pressed_) StartFade(window, true);
      break;
    case WM_SETCURSOR:
      if (pressed_) {
        pressed_ = false;
        if (State().current < State().maxAlpha) StartFade(window, false);
      }
      break;
    default:
      break;
  }
}

void WindowFader::Apply(HWND window, bool on) {
  bool layered = (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
  if (on && !layered) Attach(window, kMinAlpha, kMaxAlpha, kStepDelayMs);
  if (!on && layered) {
    ::SetWindowLongPtrW(window, GWL_EXSTYLE, ::GetWindowLongPtrW(window, GWL_EXSTYLE) & ~WS_EX_LAYERED);
  }
}

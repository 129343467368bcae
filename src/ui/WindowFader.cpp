#include "ui/WindowFader.h"

#include "ui/FadeSteps.h"

namespace {

using SetLayeredAttributes = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

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

}  // namespace

WindowFader::~WindowFader() { StopTimer(); }

void WindowFader::Attach(HWND window, int minAlpha, int maxAlpha, int delayMs) {
  if (!windowFx_) return;
  if (!LayeredAttributesFunction()) {
    enabled_ = false;
    return;
  }
  window_ = window;
  minAlpha_ = minAlpha;
  maxAlpha_ = maxAlpha;
  delayMs_ = delayMs;
  current_ = maxAlpha;
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
        if (current_ < maxAlpha_) StartFade(window, false);
      }
      break;
    default:
      break;
  }
}

void WindowFader::StartFade(HWND window, bool out) {
  window_ = window;
  steps_ = out ? FadeOutSteps(current_, minAlpha_, maxAlpha_) : FadeInSteps(current_, minAlpha_, maxAlpha_);
  next_ = 0;
  if (steps_.empty()) {
    StopTimer();
    return;
  }
  // The fader's own address names the timer: the callback finds its fader from it.
  timerRunning_ = ::SetTimer(window_, reinterpret_cast<UINT_PTR>(this), static_cast<UINT>(delayMs_), &OnTimer) != 0;
}

void CALLBACK WindowFader::OnTimer(HWND, UINT, UINT_PTR id, DWORD) { reinterpret_cast<WindowFader*>(id)->NextStep(); }

void WindowFader::NextStep() {
  if (next_ >= steps_.size()) {
    StopTimer();
    return;
  }
  current_ = steps_[next_++];
  SetAlpha(window_, current_);
  if (next_ >= steps_.size()) StopTimer();
}

void WindowFader::StopTimer() {
  if (!timerRunning_) return;
  ::KillTimer(window_, reinterpret_cast<UINT_PTR>(this));
  timerRunning_ = false;
}

void WindowFader::Apply(HWND window, bool on) {
  bool layered = (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
  if (on && !layered) Attach(window, kMinAlpha, kMaxAlpha, kStepDelayMs);
  if (!on && layered) {
    StopTimer();
    ::SetWindowLongPtrW(window, GWL_EXSTYLE, ::GetWindowLongPtrW(window, GWL_EXSTYLE) & ~WS_EX_LAYERED);
  }
}

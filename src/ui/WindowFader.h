#pragma once
// Fades a window to translucency while it is dragged by its caption and back when the drag ends (the
// WindowFx option). The steps run on a timer of the window, so the fade belongs to the window alone and
// goes on inside the system's own loop while the window moves. A fade started in the other direction
// takes over from the alpha the running one has reached.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

class WindowFader {
 public:
  // windowFx is the live option: non-zero fades.
  explicit WindowFader(const uint32_t& windowFx) : windowFx_(windowFx) {}
  ~WindowFader();
  WindowFader(const WindowFader&) = delete;
  WindowFader& operator=(const WindowFader&) = delete;

  // Makes window layered at maxAlpha. Nothing when WindowFx is off; a system without layered windows
  // disables this fader.
  void Attach(HWND window, int minAlpha, int maxAlpha, int delayMs);
  // Runs before the window's own handling of every message.
  void OnMessage(HWND window, UINT message, WPARAM wParam);

  // Switches the fade of an open window: on attaches with the program's values, off removes WS_EX_LAYERED.
  void Apply(HWND window, bool on);

  bool Enabled() const { return enabled_; }

  static constexpr int kMinAlpha = 128;
  static constexpr int kMaxAlpha = 255;
  static constexpr int kStepDelayMs = 10;

 private:
  void StartFade(HWND window, bool out);
  void NextStep();
  void StopTimer();
  static void CALLBACK OnTimer(HWND window, UINT message, UINT_PTR id, DWORD time);

  const uint32_t& windowFx_;
  bool enabled_ = true;
  bool pressed_ = false;
  HWND window_ = nullptr;
  int minAlpha_ = kMinAlpha;
  int maxAlpha_ = kMaxAlpha;
  int delayMs_ = kStepDelayMs;
  int current_ = kMaxAlpha;
  std::vector<int> steps_;
  std::size_t next_ = 0;
  bool timerRunning_ = false;
};

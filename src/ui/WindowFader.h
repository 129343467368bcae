#pragma once
// Fades a window to translucency while it is dragged by its caption and back when the drag ends (the
// WindowFx option). The fade runs on short-lived threads that only change the window's alpha; the fade
// parameters and the current alpha are shared by all faders of the process, since only one window can be
// dragged at a time. A fade started in the other direction stops the running one after its current step.

#include <windows.h>

#include <cstdint>

class WindowFader {
 public:
  // windowFx is the live option: non-zero fades.
  explicit WindowFader(const uint32_t& windowFx) : windowFx_(windowFx) {}

  // Makes window layered at maxAlpha and sets the process-wide fade parameters. Nothing when WindowFx is off;
  // a system without layered windows disables this fader.
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
  const uint32_t& windowFx_;
  bool enabled_ = true;
  bool pressed_ = false;
};

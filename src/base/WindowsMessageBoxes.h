#pragma once
// The message seam over MessageBoxW, captioned with the application title (or the caller's).

#include <atomic>

#include "base/MessageBoxes.h"

class WindowsMessageBoxes : public IMessageBoxes {
 public:
  WindowsMessageBoxes() = default;
  // Boxes captioned with another program's title (UTF-8, kept by reference).
  explicit WindowsMessageBoxes(const char* caption) : caption_(caption) {}
  MessageAnswer Show(int textId, const std::string& text, MessageIcon icon) override;
  // The window that owns the boxes (0: none). Boxes shown from worker threads have no owner.
  void SetOwner(void* window) { owner_ = window; }

 private:
  std::atomic<void*> owner_ = nullptr;
  const char* caption_ = nullptr;
};

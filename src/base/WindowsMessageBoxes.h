#pragma once
// The message seam over MessageBoxW, captioned with the application title.

#include <atomic>

#include "base/MessageBoxes.h"

class WindowsMessageBoxes : public IMessageBoxes {
 public:
  MessageAnswer Show(int textId, const std::string& text, MessageIcon icon) override;
  // The window that owns the boxes (0: none). Boxes shown from worker threads have no owner.
  void SetOwner(void* window) { owner_ = window; }

 private:
  std::atomic<void*> owner_ = nullptr;
};

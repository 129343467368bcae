#include "ui/WindowJobEvents.h"

void WindowJobEvents::Post(uint32_t message, uintptr_t wParam) {
  lastResult_ = ::PostMessageW(window_, message, wParam, 0);
}

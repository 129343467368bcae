#include "ui/WindowPlacement.h"

#include <cstdint>

namespace {

// Positions left of or above the primary monitor are negative; the registry keeps their two's complement.
int Signed(uint32_t value) { return static_cast<int>(static_cast<int32_t>(value)); }

bool VisibleOnSomeMonitor(const RECT& rect) { return ::MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) != nullptr; }

}  // namespace

void SaveWindowPlacement(HWND window, IPlacementStore& store, bool position, bool size) {
  RECT rect;
  if (!::GetWindowRect(window, &rect)) return;
  if (position) {
    store.Write("HorizPos", static_cast<uint32_t>(rect.left));
    store.Write("VertPos", static_cast<uint32_t>(rect.top));
  }
  if (size) {
    store.Write("HorizSize", static_cast<uint32_t>(rect.right - rect.left));
    store.Write("VertSize", static_cast<uint32_t>(rect.bottom - rect.top));
  }
}

void RestoreWindowPlacement(HWND window, IPlacementStore& store, bool position, bool size) {
  uint32_t left = store.Read("HorizPos"), top = store.Read("VertPos");
  uint32_t width = store.Read("HorizSize"), height = store.Read("VertSize");
  RECT rect;
  if (!::GetWindowRect(window, &rect)) return;
  if (position && left != 0 && top != 0) {
    RECT moved{Signed(left), Signed(top), Signed(left) + rect.right - rect.left, Signed(top) + rect.bottom - rect.top};
    if (VisibleOnSomeMonitor(moved)) {
      ::SetWindowPos(window, nullptr, moved.left, moved.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  if (size && width != 0 && height != 0) {
    ::SetWindowPos(window, nullptr, 0, 0, Signed(width), Signed(height), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

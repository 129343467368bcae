#include "ui/WindowPlacement.h"

#include <cstdint>

#include "settings/RegistryKey.h"

namespace {

// Positions left of or above the primary monitor are negative; the registry keeps their two's complement.
int Signed(uint32_t value) { return static_cast<int>(static_cast<int32_t>(value)); }

bool VisibleOnSomeMonitor(const RECT& rect) { return ::MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) != nullptr; }

}  // namespace

void SaveWindowPlacement(HWND window, IRegistryBackend& registry, bool position, bool size,
                         const std::string& keyPath) {
  RECT rect;
  if (!::GetWindowRect(window, &rect)) return;
  RegistryKey key(registry);
  key.Create(kHkeyCurrentUser, keyPath);
  if (position) {
    key.WriteDword("HorizPos", static_cast<uint32_t>(rect.left));
    key.WriteDword("VertPos", static_cast<uint32_t>(rect.top));
  }
  if (size) {
    key.WriteDword("HorizSize", static_cast<uint32_t>(rect.right - rect.left));
    key.WriteDword("VertSize", static_cast<uint32_t>(rect.bottom - rect.top));
  }
  key.Close();
}

void RestoreWindowPlacement(HWND window, IRegistryBackend& registry, bool position, bool size,
                            const std::string& keyPath) {
  uint32_t left = 0, top = 0, width = 0, height = 0;
  RegistryKey key(registry);
  key.Create(kHkeyCurrentUser, keyPath);
  key.ReadDword("HorizPos", left, 0);
  key.ReadDword("VertPos", top, 0);
  key.ReadDword("HorizSize", width, 0);
  key.ReadDword("VertSize", height, 0);
  key.Close();
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

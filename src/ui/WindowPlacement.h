#pragma once
// A window's position and size remembered between runs as the four numbers HorizPos, VertPos, HorizSize and
// VertSize. 0 means "never stored": a window at x = 0 or y = 0 is not restored there. Where they are kept is
// the program's choice (its registry key).

#include <windows.h>

#include <cstdint>

class IPlacementStore {
 public:
  virtual ~IPlacementStore() = default;
  // The stored value of name, 0 when there is none.
  virtual uint32_t Read(const char* name) = 0;
  virtual void Write(const char* name, uint32_t value) = 0;
};

void SaveWindowPlacement(HWND window, IPlacementStore& store, bool position, bool size);

// A stored position that no monitor shows any more (a monitor was removed) is not restored, so that the
// window cannot open out of sight.
void RestoreWindowPlacement(HWND window, IPlacementStore& store, bool position, bool size);

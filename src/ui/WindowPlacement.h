#pragma once
// A window's position and size remembered below HKEY_CURRENT_USER\keyPath as the DWORDs HorizPos, VertPos,
// HorizSize and VertSize. 0 means "never stored": a window at x = 0 or y = 0 is not restored there.

#include <windows.h>

#include <string>

#include "settings/RegistryBackend.h"

void SaveWindowPlacement(HWND window, IRegistryBackend& registry, bool position, bool size,
                         const std::string& keyPath);

// A stored position that no monitor shows any more (a monitor was removed) is not restored, so that the
// window cannot open out of sight.
void RestoreWindowPlacement(HWND window, IRegistryBackend& registry, bool position, bool size,
                            const std::string& keyPath);

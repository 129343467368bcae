#pragma once
// The Win32 layer's text boundary: the core speaks UTF-8, the Windows API UTF-16.

#include <windows.h>

#include <string>
#include <string_view>

#include "base/Wide_win32.h"

// The whole text of a window (caption or control text), as UTF-8.
std::string ReadWindowText(HWND window);
// Returns the result of SetWindowTextW.
BOOL WriteWindowText(HWND window, std::string_view utf8);

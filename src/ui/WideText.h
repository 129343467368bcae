#pragma once
// The Win32 layer's text boundary: the core speaks UTF-8, the Windows API UTF-16.

#include <windows.h>

#include <string>
#include <string_view>

std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The whole text of a window (caption or control text), as UTF-8.
std::string ReadWindowText(HWND window);
// Returns the result of SetWindowTextW.
BOOL WriteWindowText(HWND window, std::string_view utf8);

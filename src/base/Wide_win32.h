#pragma once
// The Windows API's text boundary: the program speaks UTF-8, the API UTF-16 (wchar_t).

#include <string>
#include <string_view>

std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

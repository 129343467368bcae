#include "base/Wide_win32.h"

#include "base/Utf.h"

std::wstring Wide(std::string_view utf8) {
  std::u16string text = Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

std::string Narrow(std::wstring_view utf16) { return Utf16ToUtf8(std::u16string(utf16.begin(), utf16.end())); }

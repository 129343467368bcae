#include "ui/WideText.h"

#include "base/Utf.h"

std::wstring Wide(std::string_view utf8) {
  std::u16string text = Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

std::string Narrow(std::wstring_view utf16) {
  return Utf16ToUtf8(std::u16string(utf16.begin(), utf16.end()));
}

std::string ReadWindowText(HWND window) {
  int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  int copied = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return Narrow(text);
}

BOOL WriteWindowText(HWND window, std::string_view utf8) {
  return ::SetWindowTextW(window, Wide(utf8).c_str());
}

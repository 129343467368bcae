#include "ui/WideText.h"


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

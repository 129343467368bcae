#include <windows.h>

#include "base/CodePage.h"
#include "base/Utf.h"

std::string ToSystemCodePage(std::string_view utf8) {
  std::u16string wide = Utf8ToUtf16(utf8);
  if (wide.empty()) return {};
  const wchar_t* text = reinterpret_cast<const wchar_t*>(wide.data());
  int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, static_cast<int>(wide.size()), nullptr, 0, "?", nullptr);
  std::string out(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  if (length > 0) {
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, static_cast<int>(wide.size()), out.data(), length, "?", nullptr);
  }
  return out;
}

std::string FromSystemCodePage(std::string_view bytes) {
  if (bytes.empty()) return {};
  int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) {
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), length);
  }
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

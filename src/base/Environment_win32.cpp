#include <stdlib.h>

#include "base/Environment.h"
#include "base/Utf.h"

std::optional<std::string> ProcessEnvironment(const std::string& name) {
  std::u16string wideName = Utf8ToUtf16(name);
  const wchar_t* value = ::_wgetenv(std::wstring(wideName.begin(), wideName.end()).c_str());
  if (!value) return std::nullopt;
  std::wstring text(value);
  return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

#include <stdlib.h>

#include "base/Environment.h"
#include "base/Wide_win32.h"

std::optional<std::string> ProcessEnvironment(const std::string& name) {
  const wchar_t* value = ::_wgetenv(Wide(name).c_str());
  if (!value) return std::nullopt;
  return Narrow(value);
}

#include "app/SecondInstance_win32.h"

#include <windows.h>

#include "app/CommandLine.h"
#include "ui/WideText.h"

namespace {

// The running instance has a working directory of its own: a relative path would name another file there.
std::string AbsolutePath(const std::string& path) {
  std::wstring relative = Wide(path);
  DWORD length = ::GetFullPathNameW(relative.c_str(), 0, nullptr, nullptr);
  if (length == 0) return path;
  std::wstring full(length, L'\0');
  DWORD written = ::GetFullPathNameW(relative.c_str(), length, full.data(), nullptr);
  if (written == 0 || written >= length) return path;
  full.resize(written);
  return Narrow(full);
}

}  // namespace

int HandOverToRunningInstance(CInstanceChecker& checker, const std::vector<std::string>& arguments) {
  std::string text = arguments.size() > 1 ? arguments[1] : std::string();
  if (!text.empty() && !LooksLikeSwitch(text, PathStyle::Windows)) text = AbsolutePath(text);
  bool accepted = false;
  checker.ActivateOtherInstance(text, &accepted);
  if (arguments.size() <= 1) return kExitDone;
  // Only the first argument crosses: whatever else was asked is not done.
  return accepted && arguments.size() == 2 ? kExitDone : kExitOperationFailed;
}

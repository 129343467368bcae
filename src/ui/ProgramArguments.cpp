#include "ui/ProgramArguments.h"

#include <windows.h>
#include <shellapi.h>

#include "ui/WideText.h"

std::vector<std::string> ProgramArguments() {
  int count = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  if (!argv) return arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Narrow(argv[i]));
  ::LocalFree(argv);
  return arguments;
}

std::string FullPath(const std::string& path) {
  std::wstring relative = Wide(path);
  DWORD length = ::GetFullPathNameW(relative.c_str(), 0, nullptr, nullptr);
  if (length == 0) return path;
  std::wstring full(length, L'\0');
  DWORD written = ::GetFullPathNameW(relative.c_str(), length, full.data(), nullptr);
  if (written == 0 || written >= length) return path;
  full.resize(written);
  return Narrow(full);
}

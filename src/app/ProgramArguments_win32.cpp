#include "app/ProgramArguments_win32.h"

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

#include <windows.h>

#include "app/Platform.h"

PlatformInfo DetectPlatform() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ::GetVersionExW(&version);
#pragma GCC diagnostic pop
  // The library stays loaded: the Internet commands use it later.
  HMODULE wininet = ::LoadLibraryW(L"WININET.DLL");
  bool internet = wininet && ::GetProcAddress(wininet, "InternetGetConnectedState") != nullptr;
  return ClassifyPlatform({version.dwPlatformId, version.dwMajorVersion, version.dwBuildNumber}, internet);
}

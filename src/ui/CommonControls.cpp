#include "ui/CommonControls.h"

#include <windows.h>
#include <shlwapi.h>

uint32_t GetCommonControlsVersion() {
  // Loaded by name within the program's activation context: the library its controls come from, which the
  // manifest makes version 6 (a module handle of that name could be another version loaded for a system DLL).
  HMODULE library = ::LoadLibraryW(L"comctl32.dll");
  if (!library) return 0;
  using GetVersionFunction = HRESULT(CALLBACK*)(DLLVERSIONINFO*);
  auto getVersion = reinterpret_cast<GetVersionFunction>(
      reinterpret_cast<void (*)()>(::GetProcAddress(library, "DllGetVersion")));
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  bool known = getVersion && SUCCEEDED(getVersion(&info));
  ::FreeLibrary(library);
  return known ? (info.dwMajorVersion << 16) | (info.dwMinorVersion & 0xFFFF) : 0;
}

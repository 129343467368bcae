#include <windows.h>

#include <string>

#include "settings/Backends.h"
#include "settings/HiveRegistry.h"
#include "settings/WindowsRegistry.h"

std::vector<BackendUnderTest> RegistryBackendsUnderTest() {
  return {
      {"Memory", [] { return std::unique_ptr<IRegistryBackend>(new MemoryRegistry); }},
      {"Windows",
       [] {
         // The tests run in a private Wine prefix: the product's own key is theirs to clear.
         ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kestrix Software");
         ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Diskelle Tests");
         for (const wchar_t* type : {L".img", L".imz", L"DiskelleFile", L"DiskelleCompressedFile"}) {
           ::RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Classes\\") + type).c_str());
         }
         for (const wchar_t* type : {L".img", L".imz", L"DiskelleTestsForeignFile"}) {
           ::RegDeleteTreeW(HKEY_CLASSES_ROOT, type);
         }
         return std::unique_ptr<IRegistryBackend>(new WindowsRegistry);
       }},
  };
}

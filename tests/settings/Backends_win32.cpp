#include <windows.h>

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
         return std::unique_ptr<IRegistryBackend>(new WindowsRegistry);
       }},
  };
}

#include <unistd.h>

#include <filesystem>

#include "settings/Backends.h"
#include "settings/FileRegistry.h"
#include "settings/HiveRegistry.h"

std::vector<BackendUnderTest> RegistryBackendsUnderTest() {
  return {
      {"Memory", [] { return std::unique_ptr<IRegistryBackend>(new MemoryRegistry); }},
      {"File",
       [] {
         static int counter = 0;
         auto dir = std::filesystem::temp_directory_path() /
                    ("diskelle-hive-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
         std::filesystem::remove_all(dir);
         return std::unique_ptr<IRegistryBackend>(
             new FileRegistry((dir / "sub" / "registry.reg").string(), nullptr));
       }},
  };
}

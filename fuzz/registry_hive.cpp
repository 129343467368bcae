// The settings hive of the POSIX build: whatever it parses, it must write back in a form it parses again.
#include <string_view>

#include "settings/RegistryHive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::optional<RegistryHive> hive = RegistryHive::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!hive) return 0;
  std::string text = hive->Serialize();
  std::optional<RegistryHive> again = RegistryHive::Parse(text);
  if (!again) __builtin_trap();
  return 0;
}

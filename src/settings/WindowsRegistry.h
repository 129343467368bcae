#pragma once
// The real registry of the Windows build (advapi32), behind the registry seam.

#include "settings/RegistryBackend.h"

class WindowsRegistry : public IRegistryBackend {
 public:
  long CreateKey(RegistryHandle parent, const std::string& subKey, uint32_t access, RegistryHandle* key) override;
  long OpenKey(RegistryHandle parent, const std::string& subKey, uint32_t access, RegistryHandle* key) override;
  long CloseKey(RegistryHandle key) override;
  long SetValue(RegistryHandle key, const std::string& name, uint32_t type, std::span<const uint8_t> data) override;
  long QueryValue(RegistryHandle key, const std::string& name, uint32_t* type, uint8_t* data,
                  uint32_t* size) override;
  long EnumKey(RegistryHandle key, uint32_t index, std::string* name) override;
  long DeleteKey(RegistryHandle parent, const std::string& subKey) override;
};

#pragma once
// Window placements kept as DWORDs below HKEY_CURRENT_USER\keyPath.

#include <string>

#include "settings/RegistryKey.h"
#include "ui/WindowPlacement.h"

class RegistryPlacementStore final : public IPlacementStore {
 public:
  RegistryPlacementStore(IRegistryBackend& registry, std::string keyPath)
      : registry_(registry), keyPath_(std::move(keyPath)) {}

  uint32_t Read(const char* name) override {
    uint32_t value = 0;
    RegistryKey key(registry_);
    if (key.Create(kHkeyCurrentUser, keyPath_) == 0) key.ReadDword(name, value, 0);
    return value;
  }
  void Write(const char* name, uint32_t value) override {
    RegistryKey key(registry_);
    if (key.Create(kHkeyCurrentUser, keyPath_) == 0) key.WriteDword(name, value);
  }

 private:
  IRegistryBackend& registry_;
  std::string keyPath_;
};

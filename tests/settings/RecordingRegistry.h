#pragma once
// An in-memory registry that remembers every value written, in order: the key's path as it was created and
// the value's name.

#include <map>
#include <string>
#include <vector>

#include "base/Win32Codes.h"
#include "settings/HiveRegistry.h"

class RecordingRegistry : public MemoryRegistry {
 public:
  long CreateKey(RegistryHandle parent, const std::string& subKey, uint32_t access, RegistryHandle* key) override {
    long result = MemoryRegistry::CreateKey(parent, subKey, access, key);
    if (result == kErrorSuccess) paths_[*key] = subKey;
    return result;
  }
  long SetValue(RegistryHandle key, const std::string& name, uint32_t type, std::span<const uint8_t> data) override {
    written.push_back(paths_[key]);
    names.push_back(name);
    return MemoryRegistry::SetValue(key, name, type, data);
  }
  std::vector<std::string> written;  // the keys' paths
  std::vector<std::string> names;

 private:
  std::map<RegistryHandle, std::string> paths_;
};

#pragma once
// IRegistryBackend over a RegistryHive: the handle table and the Win32 results of each operation. Where the
// hive lives is left to subclasses: in memory (MemoryRegistry, the test double) or in a file (FileRegistry,
// the POSIX settings store).

#include <functional>
#include <map>
#include <mutex>

#include "settings/RegistryBackend.h"
#include "settings/RegistryHive.h"

class HiveRegistry : public IRegistryBackend {
 public:
  long CreateKey(RegistryHandle parent, const std::string& subKey, uint32_t access, RegistryHandle* key) override;
  long OpenKey(RegistryHandle parent, const std::string& subKey, uint32_t access, RegistryHandle* key) override;
  long CloseKey(RegistryHandle key) override;
  long SetValue(RegistryHandle key, const std::string& name, uint32_t type, std::span<const uint8_t> data) override;
  long QueryValue(RegistryHandle key, const std::string& name, uint32_t* type, uint8_t* data,
                  uint32_t* size) override;
  long EnumKey(RegistryHandle key, uint32_t index, std::string* name) override;
  long DeleteKey(RegistryHandle parent, const std::string& subKey) override;

 protected:
  // Runs read on the current state of the hive and returns its result.
  virtual long Inspect(const std::function<long(const RegistryHive&)>& read) = 0;
  // Runs change on the current state and keeps what it did; a change that fails changes nothing. A store may
  // try change on a copy first, so running it again must do the same.
  virtual long Change(const std::function<long(RegistryHive&)>& change) = 0;

 private:
  // The path of a handle; false for an unknown handle.
  bool Resolve(RegistryHandle handle, KeyPath& path) const;
  RegistryHandle NewHandle(KeyPath path);

  mutable std::mutex mutex_;
  std::map<RegistryHandle, KeyPath> handles_;
  RegistryHandle nextHandle_ = 0x100;
};

// The whole hive in memory: the registry of tests, and of any run that must leave no trace.
class MemoryRegistry : public HiveRegistry {
 public:
  const RegistryHive& Hive() const { return hive_; }

 protected:
  long Inspect(const std::function<long(const RegistryHive&)>& read) override;
  long Change(const std::function<long(RegistryHive&)>& change) override;

 private:
  std::mutex mutex_;
  RegistryHive hive_;
};

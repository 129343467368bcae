#include "settings/HiveRegistry.h"

#include "base/Win32Codes.h"

namespace {

constexpr std::size_t kMaxKeyNameLength = 255;

bool ValidSubKey(const std::string& subKey) {
  if (!subKey.empty() && subKey.front() == '\\') return false;
  std::size_t start = 0;
  while (start <= subKey.size()) {
    std::size_t end = subKey.find('\\', start);
    if (end == std::string::npos) end = subKey.size();
    if (end - start > kMaxKeyNameLength) return false;
    start = end + 1;
  }
  return true;
}

KeyPath Below(const KeyPath& parent, const std::string& subKey) {
  KeyPath path = parent;
  KeyPath tail = MakeKeyPath("", subKey);
  path.insert(path.end(), tail.begin() + 1, tail.end());
  return path;
}

}  // namespace

bool HiveRegistry::Resolve(RegistryHandle handle, KeyPath& path) const {
  if (handle == kHkeyCurrentUser) {
    path = {"HKEY_CURRENT_USER"};
    return true;
  }
  if (handle == kHkeyClassesRoot) {
    path = {"HKEY_CLASSES_ROOT"};
    return true;
  }
  std::lock_guard lock(mutex_);
  auto it = handles_.find(handle);
  if (it == handles_.end()) return false;
  path = it->second;
  return true;
}

RegistryHandle HiveRegistry::NewHandle(KeyPath path) {
  std::lock_guard lock(mutex_);
  RegistryHandle handle = nextHandle_++;
  handles_[handle] = std::move(path);
  return handle;
}

long HiveRegistry::CreateKey(RegistryHandle parent, const std::string& subKey, uint32_t, RegistryHandle* key) {
  KeyPath path;
  if (!Resolve(parent, path)) return kErrorInvalidHandle;
  if (!ValidSubKey(subKey)) return kErrorInvalidParameter;
  path = Below(path, subKey);
  long exists = Inspect([&](const RegistryHive& hive) { return hive.KeyExists(path) ? 0L : 1L; });
  if (exists != kErrorSuccess) {
    long result = Change([&](RegistryHive& hive) { return hive.CreateKey(path) ? kErrorSuccess : kErrorKeyDeleted; });
    if (result != kErrorSuccess) return result;
  }
  *key = NewHandle(std::move(path));
  return kErrorSuccess;
}

long HiveRegistry::OpenKey(RegistryHandle parent, const std::string& subKey, uint32_t, RegistryHandle* key) {
  KeyPath path;
  if (!Resolve(parent, path)) return kErrorInvalidHandle;
  if (!ValidSubKey(subKey)) return kErrorInvalidParameter;
  path = Below(path, subKey);
  long result = Inspect([&](const RegistryHive& hive) { return hive.KeyExists(path) ? kErrorSuccess : kErrorFileNotFound; });
  if (result == kErrorSuccess) *key = NewHandle(std::move(path));
  return result;
}

long HiveRegistry::CloseKey(RegistryHandle key) {
  if (key == kHkeyCurrentUser || key == kHkeyClassesRoot) return kErrorSuccess;
  std::lock_guard lock(mutex_);
  return handles_.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle;
}

long HiveRegistry::SetValue(RegistryHandle key, const std::string& name, uint32_t type,
                            std::span<const uint8_t> data) {
  KeyPath path;
  if (!Resolve(key, path)) return kErrorInvalidHandle;
  const std::vector<uint8_t> bytes(data.begin(), data.end());
  return Change([&](RegistryHive& hive) {
    return hive.SetValue(path, name, type, bytes) ? kErrorSuccess : kErrorKeyDeleted;
  });
}

long HiveRegistry::QueryValue(RegistryHandle key, const std::string& name, uint32_t* type, uint8_t* data,
                              uint32_t* size) {
  KeyPath path;
  if (!Resolve(key, path)) return kErrorInvalidHandle;
  return Inspect([&](const RegistryHive& hive) {
    if (!hive.KeyExists(path)) return kErrorKeyDeleted;
    const RegistryHive::Value* value = hive.FindValue(path, name);
    if (!value) return kErrorFileNotFound;
    if (type) *type = value->type;
    uint32_t needed = static_cast<uint32_t>(value->data.size());
    if (!size) return data ? kErrorInvalidParameter : kErrorSuccess;
    if (data && needed > *size) {
      *size = needed;
      return kErrorMoreData;
    }
    if (data) std::copy(value->data.begin(), value->data.end(), data);
    *size = needed;
    return kErrorSuccess;
  });
}

long HiveRegistry::EnumKey(RegistryHandle key, uint32_t index, std::string* name) {
  KeyPath path;
  if (!Resolve(key, path)) return kErrorInvalidHandle;
  return Inspect([&](const RegistryHive& hive) {
    if (!hive.KeyExists(path)) return kErrorKeyDeleted;
    auto child = hive.SubkeyAt(path, index);
    if (!child) return kErrorNoMoreItems;
    *name = *child;
    return kErrorSuccess;
  });
}

long HiveRegistry::DeleteKey(RegistryHandle parent, const std::string& subKey) {
  KeyPath path;
  if (!Resolve(parent, path)) return kErrorInvalidHandle;
  if (subKey.empty() || !ValidSubKey(subKey)) return kErrorInvalidParameter;
  path = Below(path, subKey);
  return Change([&](RegistryHive& hive) {
    switch (hive.DeleteKey(path)) {
      case RegistryHive::DeleteResult::Deleted: return kErrorSuccess;
      case RegistryHive::DeleteResult::Missing: return kErrorFileNotFound;
      case RegistryHive::DeleteResult::HasSubkeys: return kErrorAccessDenied;
    }
    return kErrorAccessDenied;
  });
}

long MemoryRegistry::Inspect(const std::function<long(const RegistryHive&)>& read) {
  std::lock_guard lock(mutex_);
  return read(hive_);
}

long MemoryRegistry::Change(const std::function<long(RegistryHive&)>& change) {
  // Each change is one registry operation that either happens or leaves the hive alone.
  std::lock_guard lock(mutex_);
  return change(hive_);
}

#include "settings/WindowsRegistry.h"

#include <windows.h>

#include "base/Utf.h"
#include "base/Wide_win32.h"

namespace {

// The seam's roots are the 32-bit values; 64-bit Windows defines its predefined keys as their sign extensions.
HKEY ToHkey(RegistryHandle handle) {
  if (handle == kHkeyClassesRoot) return HKEY_CLASSES_ROOT;
  if (handle == kHkeyCurrentUser) return HKEY_CURRENT_USER;
  return reinterpret_cast<HKEY>(handle);
}

}  // namespace

long WindowsRegistry::CreateKey(RegistryHandle parent, const std::string& subKey, uint32_t access,
                                RegistryHandle* key) {
  HKEY opened = nullptr;
  LONG result = ::RegCreateKeyExW(ToHkey(parent), Wide(subKey).c_str(), 0, nullptr, 0, access, nullptr, &opened,
                                  nullptr);
  if (result == ERROR_SUCCESS) *key = reinterpret_cast<RegistryHandle>(opened);
  return result;
}

long WindowsRegistry::OpenKey(RegistryHandle parent, const std::string& subKey, uint32_t access,
                              RegistryHandle* key) {
  HKEY opened = nullptr;
  LONG result = ::RegOpenKeyExW(ToHkey(parent), Wide(subKey).c_str(), 0, access, &opened);
  if (result == ERROR_SUCCESS) *key = reinterpret_cast<RegistryHandle>(opened);
  return result;
}

long WindowsRegistry::CloseKey(RegistryHandle key) { return ::RegCloseKey(ToHkey(key)); }

long WindowsRegistry::SetValue(RegistryHandle key, const std::string& name, uint32_t type,
                               std::span<const uint8_t> data) {
  return ::RegSetValueExW(ToHkey(key), Wide(name).c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
}

long WindowsRegistry::QueryValue(RegistryHandle key, const std::string& name, uint32_t* type, uint8_t* data,
                                 uint32_t* size) {
  DWORD valueType = 0;
  DWORD valueSize = size ? *size : 0;
  LONG result = ::RegQueryValueExW(ToHkey(key), Wide(name).c_str(), nullptr, &valueType, data,
                                   size ? &valueSize : nullptr);
  if (type) *type = valueType;
  if (size) *size = valueSize;
  return result;
}

long WindowsRegistry::EnumKey(RegistryHandle key, uint32_t index, std::string* name) {
  wchar_t buffer[256];
  DWORD length = 256;
  LONG result = ::RegEnumKeyExW(ToHkey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
  if (result == ERROR_SUCCESS) {
    *name = Utf16ToUtf8(std::u16string(buffer, buffer + length));
  }
  return result;
}

long WindowsRegistry::DeleteKey(RegistryHandle parent, const std::string& subKey) {
  return ::RegDeleteKeyW(ToHkey(parent), Wide(subKey).c_str());
}

#pragma once
// The registry seam. Its operations are those of the Win32 registry API with the same results (Win32 error
// codes), so that RegistryKey behaves alike over the real registry (Windows) and over the file hive (POSIX).
// Names are UTF-8; string data is UTF-16LE as in the real registry, so size limits mean the same everywhere.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

using RegistryHandle = std::uintptr_t;

inline constexpr RegistryHandle kHkeyClassesRoot = 0x80000000u;
inline constexpr RegistryHandle kHkeyCurrentUser = 0x80000001u;

inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;

inline constexpr uint32_t kKeyAllAccess = 0xF003F;
inline constexpr uint32_t kKeyDeleteAndEnumerate = 0x10008;  // DELETE | KEY_ENUMERATE_SUB_KEYS

class IRegistryBackend {
 public:
  virtual ~IRegistryBackend() = default;

  // RegCreateKeyEx: opens the key, creating every missing key of the path.
  virtual long CreateKey(RegistryHandle parent, const std::string& subKey, uint32_t access, RegistryHandle* key) = 0;
  // RegOpenKeyEx: fails with 2 when the key is missing.
  virtual long OpenKey(RegistryHandle parent, const std::string& subKey, uint32_t access, RegistryHandle* key) = 0;
  virtual long CloseKey(RegistryHandle key) = 0;
  virtual long SetValue(RegistryHandle key, const std::string& name, uint32_t type,
                        std::span<const uint8_t> data) = 0;
  // RegQueryValueEx: on entry *size is the buffer size; on success it is the data size. Data larger than
  // the buffer gives kErrorMoreData with *size set to the needed size.
  virtual long QueryValue(RegistryHandle key, const std::string& name, uint32_t* type, uint8_t* data,
                          uint32_t* size) = 0;
  // RegEnumKeyEx: the name of the index-th subkey, or kErrorNoMoreItems.
  virtual long EnumKey(RegistryHandle key, uint32_t index, std::string* name) = 0;
  // RegDeleteKey: deletes a subkey that has no subkeys of its own (else kErrorAccessDenied).
  virtual long DeleteKey(RegistryHandle parent, const std::string& subKey) = 0;
};

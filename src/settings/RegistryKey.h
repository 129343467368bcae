#pragma once
// The one registry wrapper of the program: settings, window placement and file associations all use it.
// Every operation stores its Win32 result in lastResult and returns it.

#include <cstdint>
#include <string>

#include "settings/RegistryBackend.h"

class RegistryKey {
 public:
  explicit RegistryKey(IRegistryBackend& backend) : backend_(backend) {}
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  // Users close explicitly after their last read or write; a key left open is closed here so that it
  // does not leak.
  ~RegistryKey();

  long Create(RegistryHandle root, const std::string& subKey);
  long Open(RegistryHandle root, const std::string& subKey);
  long Close();

  // REG_SZ; the empty name writes the key's default value.
  long WriteString(const std::string& name, const std::string& value);
  long WriteDword(const std::string& name, uint32_t value);
  // On any failure (missing value, more than 16,300 bytes, closed key) out becomes def. Types are not
  // checked: a DWORD reads as the text its bytes spell.
  long ReadString(const std::string& name, std::string& out, const std::string& def);
  // On any failure (including data longer than 4 bytes) out becomes def.
  long ReadDword(const std::string& name, uint32_t& out, uint32_t def);

  // Deletes subKeyName below parent (below this key when useOwnKey is non-zero) with all its subkeys.
  // Does not touch lastResult.
  long DeleteTree(const std::string& subKeyName, RegistryHandle parent, int useOwnKey);

  static constexpr uint32_t kMaxStringBytes = 16300;

  RegistryHandle key = 0;
  long lastResult = 0;
  const uint32_t access = kKeyAllAccess;

 private:
  long Remember(long result) { return lastResult = result; }

  IRegistryBackend& backend_;
};

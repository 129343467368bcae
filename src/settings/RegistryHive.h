#pragma once
// An in-memory registry tree with the Win32 registry's rules (names compared without regard to ASCII case,
// subkeys enumerated in name order), and its text form: REGEDIT4 syntax in UTF-8. The file hive of the
// POSIX build and the in-memory test registry both keep their keys here.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Strings.h"

struct CaseInsensitiveLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

// "HKEY_CURRENT_USER", "Software", "Kestrix Software", ...
using KeyPath = std::vector<std::string>;

class RegistryHive {
 public:
  struct Value {
    std::string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
  };

  RegistryHive();

  bool KeyExists(const KeyPath& path) const;
  // Creates every missing key of the path; false when the path has no known root.
  bool CreateKey(const KeyPath& path);
  // False when the key is missing or has subkeys (roots are never deleted).
  enum class DeleteResult { Deleted, Missing, HasSubkeys };
  DeleteResult DeleteKey(const KeyPath& path);

  const Value* FindValue(const KeyPath& path, std::string_view name) const;
  bool SetValue(const KeyPath& path, const std::string& name, uint32_t type, std::vector<uint8_t> data);
  // The name of the index-th subkey in enumeration order, if there is one.
  std::optional<std::string> SubkeyAt(const KeyPath& path, std::size_t index) const;
  // Whether any key holds a value (a hive of empty keys reads like no hive at all).
  bool HoldsValues() const;

  std::string Serialize() const;
  // nullopt when the text is not a hive this program wrote (damaged or foreign).
  static std::optional<RegistryHive> Parse(std::string_view text);

  static constexpr std::size_t kMaxTextBytes = 16 * 1024 * 1024;

 private:
  struct Key {
    std::vector<Value> values;
    std::map<std::string, std::unique_ptr<Key>, CaseInsensitiveLess> subkeys;
  };

  const Key* Find(const KeyPath& path) const;
  Key* Find(const KeyPath& path);
  static void SerializeKey(const Key& key, const std::string& path, std::string& out);
  static bool KeyHoldsValues(const Key& key);

  std::map<std::string, std::unique_ptr<Key>, CaseInsensitiveLess> roots_;
};

// Splits "Software\Kestrix Software" into its names below root ("HKEY_CURRENT_USER").
KeyPath MakeKeyPath(const std::string& rootName, std::string_view subKey);

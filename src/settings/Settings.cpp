#include "settings/Settings.h"

#include <algorithm>
#include <string_view>

#include "base/Win32Codes.h"
#include "settings/RegistryKey.h"
#include "settings/SettingsTable.h"

namespace {

template <typename Record>
void ReadAll(IRegistryBackend& registry, const char* keyPath, std::span<const SettingField<Record>> fields,
             Record& record) {
  const Record defaults{};
  RegistryKey key(registry);
  key.Create(kHkeyCurrentUser, keyPath);
  for (const SettingField<Record>& field : fields) {
    if (field.dword) {
      // A hand-edited value outside the table's range would reach loops and sizes unchecked.
      key.ReadDword(field.name, record.*field.dword, defaults.*field.dword);
      record.*field.dword = std::clamp(record.*field.dword, field.minimum, field.maximum);
    } else {
      key.ReadString(field.name, record.*field.text, defaults.*field.text);
    }
  }
  key.Close();
}

template <typename Record>
bool WriteNamed(IRegistryBackend& registry, const char* keyPath, std::span<const SettingField<Record>> fields,
                const Record& record, std::initializer_list<const char*> names) {
  RegistryKey key(registry);
  bool stored = key.Create(kHkeyCurrentUser, keyPath) == kErrorSuccess;
  for (const char* name : names) {
    for (const SettingField<Record>& field : fields) {
      if (std::string_view(field.name) != name) continue;
      long result = field.dword ? key.WriteDword(field.name, record.*field.dword)
                                : key.WriteString(field.name, record.*field.text);
      stored = stored && result == kErrorSuccess;
    }
  }
  key.Close();
  return stored;
}

}  // namespace

void LoadSettings(IRegistryBackend& registry, uint32_t ntMajorVersion, AppSettings& app, SelfExeSettings& selfExe) {
  ReadAll(registry, kSettingsKey, AppSettingFields(), app);
  if (ntMajorVersion < 5) app.m_windowFx = 0;
  ReadAll(registry, kSelfExeKey, SelfExeSettingFields(), selfExe);
}

bool StoreSettings(IRegistryBackend& registry, const AppSettings& app, std::initializer_list<const char*> names) {
  return WriteNamed(registry, kSettingsKey, AppSettingFields(), app, names);
}

bool StoreSettings(IRegistryBackend& registry, const SelfExeSettings& selfExe,
                   std::initializer_list<const char*> names) {
  return WriteNamed(registry, kSelfExeKey, SelfExeSettingFields(), selfExe, names);
}

std::string ReadLastStartedVersion(IRegistryBackend& registry) {
  RegistryKey key(registry);
  std::string version;
  key.Create(kHkeyCurrentUser, kInfoKey);
  key.ReadString("Version", version, "0");
  key.Close();
  return version;
}

void WriteLastStartedVersion(IRegistryBackend& registry, const std::string& version) {
  RegistryKey key(registry);
  key.Create(kHkeyCurrentUser, kInfoKey);
  key.WriteString("Version", version);
  key.Close();
}

WindowPlacementValues ReadWindowPlacement(IRegistryBackend& registry) {
  WindowPlacementValues placement;
  RegistryKey key(registry);
  key.Create(kHkeyCurrentUser, kInitKey);
  key.ReadDword("HorizPos", placement.horizPos, 0);
  key.ReadDword("VertPos", placement.vertPos, 0);
  key.ReadDword("HorizSize", placement.horizSize, 0);
  key.ReadDword("VertSize", placement.vertSize, 0);
  key.Close();
  return placement;
}

void WriteWindowPlacement(IRegistryBackend& registry, const WindowPlacementValues& placement) {
  RegistryKey key(registry);
  key.Create(kHkeyCurrentUser, kInitKey);
  key.WriteDword("HorizPos", placement.horizPos);
  key.WriteDword("VertPos", placement.vertPos);
  key.WriteDword("HorizSize", placement.horizSize);
  key.WriteDword("VertSize", placement.vertSize);
  key.Close();
}

#include "settings/Settings.h"

#include <string_view>

#include "settings/RegistryKey.h"

namespace {

// One row per registry value: its name and the record member that holds it (a DWORD or a string).
template <typename Record>
struct Field {
  const char* name;
  uint32_t Record::*dword;
  std::string Record::*text;
};

template <typename Record>
constexpr Field<Record> Dword(const char* name, uint32_t Record::*member) {
  return {name, member, nullptr};
}

template <typename Record>
constexpr Field<Record> Text(const char* name, std::string Record::*member) {
  return {name, nullptr, member};
}

constexpr Field<AppSettings> kAppFields[] = {
    Dword("Suppress", &AppSettings::m_suppress),         Dword("Emergency", &AppSettings::m_emergency),
    Dword("Sound", &AppSettings::m_sound),               Dword("Compatible", &AppSettings::m_compatible),
    Dword("WindowFx", &AppSettings::m_windowFx),         Text("FDLetter", &AppSettings::m_fdLetter),
    Dword("AdvancedMode", &AppSettings::m_advancedMode), Dword("ToolTips", &AppSettings::m_toolTips),
    Dword("FormatDisk", &AppSettings::m_formatDisk),     Dword("VerifyFormat", &AppSettings::m_verifyFormat),
    Dword("VerifyWrite", &AppSettings::m_verifyWrite),   Dword("RecreateBad", &AppSettings::m_recreateBad),
    Dword("LastUsedExt", &AppSettings::m_lastUsedExt),   Dword("CheckUpdates", &AppSettings::m_checkUpdates),
    Dword("LastUpdate", &AppSettings::m_lastUpdate),
};

constexpr Field<SelfExeSettings> kSelfExeFields[] = {
    Dword("CustomPicture", &SelfExeSettings::m_customPicture),
    Text("PicturePath", &SelfExeSettings::m_picturePath),
    Dword("WindowFx", &SelfExeSettings::m_windowFx),
    Dword("LicenseDisplay", &SelfExeSettings::m_licenseDisplay),
    Dword("LicensePicture", &SelfExeSettings::m_licensePicture),
    Text("LicenseTitle", &SelfExeSettings::m_licenseTitle),
    Text("LicenseText", &SelfExeSettings::m_licenseText),
    Dword("CreatePicture", &SelfExeSettings::m_createPicture),
    Dword("CreateDescription", &SelfExeSettings::m_createDescription),
    Text("CreateTitle", &SelfExeSettings::m_createTitle),
    Text("CreateText", &SelfExeSettings::m_createText),
    Dword("Format", &SelfExeSettings::m_format),
    Dword("VerifyFormat", &SelfExeSettings::m_verifyFormat),
    Dword("VerifyWrite", &SelfExeSettings::m_verifyWrite),
    Dword("DriveB", &SelfExeSettings::m_driveB),
    Dword("OverwriteDialog", &SelfExeSettings::m_overwriteDialog),
    Dword("SuccessDialog", &SelfExeSettings::m_successDialog),
    Dword("RestartDialog", &SelfExeSettings::m_restartDialog),
};

template <typename Record, std::size_t N>
void ReadAll(IRegistryBackend& registry, const char* keyPath, const Field<Record> (&fields)[N], Record& record) {
  const Record defaults{};
  RegistryKey key(registry);
  key.Create(kHkeyCurrentUser, keyPath);
  for (const Field<Record>& field : fields) {
    if (field.dword) {
      key.ReadDword(field.name, record.*field.dword, defaults.*field.dword);
    } else {
      key.ReadString(field.name, record.*field.text, defaults.*field.text);
    }
  }
  key.Close();
}

template <typename Record, std::size_t N>
void WriteNamed(IRegistryBackend& registry, const char* keyPath, const Field<Record> (&fields)[N],
                const Record& record, std::initializer_list<const char*> names) {
  RegistryKey key(registry);
  key.Create(kHkeyCurrentUser, keyPath);
  for (const char* name : names) {
    for (const Field<Record>& field : fields) {
      if (std::string_view(field.name) != name) continue;
      if (field.dword) {
        key.WriteDword(field.name, record.*field.dword);
      } else {
        key.WriteString(field.name, record.*field.text);
      }
    }
  }
  key.Close();
}

}  // namespace

void LoadSettings(IRegistryBackend& registry, uint32_t ntMajorVersion, AppSettings& app, SelfExeSettings& selfExe) {
  ReadAll(registry, kSettingsKey, kAppFields, app);
  if (ntMajorVersion < 5) app.m_windowFx = 0;
  ReadAll(registry, kSelfExeKey, kSelfExeFields, selfExe);
}

void StoreSettings(IRegistryBackend& registry, const AppSettings& app, std::initializer_list<const char*> names) {
  WriteNamed(registry, kSettingsKey, kAppFields, app, names);
}

void StoreSettings(IRegistryBackend& registry, const SelfExeSettings& selfExe,
                   std::initializer_list<const char*> names) {
  WriteNamed(registry, kSelfExeKey, kSelfExeFields, selfExe, names);
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

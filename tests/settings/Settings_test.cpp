// Behaviour of the settings store, run against every registry backend of this system.
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "base/Win32Codes.h"
#include "settings/Backends.h"
#include "settings/RegistryKey.h"

namespace {

class SettingsStore : public ::testing::TestWithParam<BackendUnderTest> {
 protected:
  void SetUp() override { registry = GetParam().makeEmpty(); }

  void StoreDword(const char* keyPath, const char* name, uint32_t value) {
    RegistryKey key(*registry);
    ASSERT_EQ(key.Create(kHkeyCurrentUser, keyPath), kErrorSuccess);
    ASSERT_EQ(key.WriteDword(name, value), kErrorSuccess);
    key.Close();
  }

  void StoreString(const char* keyPath, const char* name, const std::string& value) {
    RegistryKey key(*registry);
    ASSERT_EQ(key.Create(kHkeyCurrentUser, keyPath), kErrorSuccess);
    ASSERT_EQ(key.WriteString(name, value), kErrorSuccess);
    key.Close();
  }

  bool KeyExists(const std::string& path) {
    RegistryKey key(*registry);
    bool exists = key.Open(kHkeyCurrentUser, path) == kErrorSuccess;
    if (exists) key.Close();
    return exists;
  }

  bool ValueExists(const char* keyPath, const char* name) {
    RegistryKey key(*registry);
    if (key.Open(kHkeyCurrentUser, keyPath) != kErrorSuccess) return false;
    std::string ignored;
    bool exists = key.ReadString(name, ignored, "") == kErrorSuccess;
    key.Close();
    return exists;
  }

  std::unique_ptr<IRegistryBackend> registry;
};

TEST_P(SettingsStore, FirstStartGivesEveryDefaultAndCreatesBothKeys) {
  AppSettings app;
  app.m_sound = 77;  // proves the load overwrites
  SelfExeSettings selfExe;
  selfExe.m_createTitle = "x";
  LoadSettings(*registry, 5, app, selfExe);

  const AppSettings d;
  EXPECT_EQ(app.m_suppress, 0u);
  EXPECT_EQ(app.m_emergency, 0u);
  EXPECT_EQ(app.m_sound, 1u);
  EXPECT_EQ(app.m_compatible, 0u);
  EXPECT_EQ(app.m_windowFx, 0u);
  EXPECT_EQ(app.m_fdLetter, "A:");
  EXPECT_EQ(app.m_advancedMode, 0u);
  EXPECT_EQ(app.m_toolTips, 1u);
  EXPECT_EQ(app.m_formatDisk, 0u);
  EXPECT_EQ(app.m_verifyFormat, 1u);
  EXPECT_EQ(app.m_verifyWrite, 1u);
  EXPECT_EQ(app.m_recreateBad, 0u);
  EXPECT_EQ(app.m_lastUsedExt, 1u);
  EXPECT_EQ(app.m_checkUpdates, 1u);
  EXPECT_EQ(app.m_lastUpdate, 0u);

  EXPECT_EQ(selfExe.m_customPicture, 0u);
  EXPECT_EQ(selfExe.m_picturePath, "");
  EXPECT_EQ(selfExe.m_windowFx, 0u);
  EXPECT_EQ(selfExe.m_licenseDisplay, 0u);
  EXPECT_EQ(selfExe.m_licensePicture, 0u);
  EXPECT_EQ(selfExe.m_licenseTitle, "授权协议");
  EXPECT_EQ(selfExe.m_licenseText, "");
  EXPECT_EQ(selfExe.m_createPicture, 1u);
  EXPECT_EQ(selfExe.m_createDescription, 1u);
  EXPECT_EQ(selfExe.m_createTitle, "创建软盘");
  EXPECT_EQ(selfExe.m_createText,
            "请按照以下步骤创建软盘:\r\n\r\n1) 放置一张允许写入的软盘到驱动器中\r\n2) 点击下面的 '创建' 按钮\r\n3) 等待操作完成");
  EXPECT_EQ(selfExe.m_format, 0u);
  EXPECT_EQ(selfExe.m_verifyFormat, 0u);  // differs from the Settings key's VerifyFormat
  EXPECT_EQ(selfExe.m_verifyWrite, 1u);
  EXPECT_EQ(selfExe.m_driveB, 0u);
  EXPECT_EQ(selfExe.m_overwriteDialog, 1u);
  EXPECT_EQ(selfExe.m_successDialog, 1u);
  EXPECT_EQ(selfExe.m_restartDialog, 0u);

  EXPECT_TRUE(KeyExists(kSettingsKey));
  EXPECT_TRUE(KeyExists(kSelfExeKey));
  EXPECT_FALSE(ValueExists(kSettingsKey, "Sound"));  // defaults are not written
  EXPECT_FALSE(ValueExists(kSelfExeKey, "CreateText"));
}

TEST_P(SettingsStore, StoredValuesReadBack) {
  AppSettings app;
  app.m_suppress = 1;
  app.m_fdLetter = "B:";
  app.m_lastUsedExt = 3;
  app.m_lastUpdate = 1700000000;
  SelfExeSettings selfExe;
  selfExe.m_createText = "第一行\r\n第二行 \"quoted\" \\ backslash";
  selfExe.m_verifyFormat = 1;
  StoreSettings(*registry, app, {"Suppress", "FDLetter", "LastUsedExt", "LastUpdate"});
  StoreSettings(*registry, selfExe, {"CreateText", "VerifyFormat"});

  AppSettings loadedApp;
  SelfExeSettings loadedSelfExe;
  LoadSettings(*registry, 5, loadedApp, loadedSelfExe);
  EXPECT_EQ(loadedApp.m_suppress, 1u);
  EXPECT_EQ(loadedApp.m_fdLetter, "B:");
  EXPECT_EQ(loadedApp.m_lastUsedExt, 3u);
  EXPECT_EQ(loadedApp.m_lastUpdate, 1700000000u);
  EXPECT_EQ(loadedSelfExe.m_createText, selfExe.m_createText);
  EXPECT_EQ(loadedSelfExe.m_verifyFormat, 1u);
  EXPECT_FALSE(ValueExists(kSettingsKey, "Sound"));  // a writer stores only the values it names
}

TEST_P(SettingsStore, OversizedAndMistypedValuesReadAsDefaults) {
  // 8,149 characters are 16,300 bytes in the registry with the terminator: the largest readable string.
  const std::string longest(8149, 'x');
  StoreString(kSettingsKey, "FDLetter", longest);
  StoreString(kSelfExeKey, "LicenseText", longest + "x");
  StoreString(kSelfExeKey, "LicenseTitle", std::string(5000, 'y') + "授权");  // 5,002 chars, 10,006 bytes
  StoreString(kSettingsKey, "Sound", "more than four bytes");
  StoreString(kSettingsKey, "Compatible", "");  // two bytes: the type is not checked, so it reads as 0
  StoreDword(kSelfExeKey, "CreateTitle", 0x00420041);  // a DWORD read as text spells "AB"

  AppSettings app;
  SelfExeSettings selfExe;
  LoadSettings(*registry, 5, app, selfExe);
  EXPECT_EQ(app.m_fdLetter, longest);
  EXPECT_EQ(selfExe.m_licenseText, "");
  EXPECT_EQ(selfExe.m_licenseTitle, std::string(5000, 'y') + "授权");
  EXPECT_EQ(app.m_sound, 1u);
  EXPECT_EQ(app.m_compatible, 0u);
  EXPECT_EQ(selfExe.m_createTitle, "AB");
}

TEST_P(SettingsStore, NumbersOutsideTheirRangeLoadClamped) {
  const struct {
    const char* name;
    uint32_t AppSettings::*member;
    uint32_t stored;
    uint32_t loaded;
  } cases[] = {
      {"RetryPasses", &AppSettings::m_retryPasses, 0x7fffffffu, kMaxRetryPasses},
      {"RetryPasses", &AppSettings::m_retryPasses, 0x80000000u, 99},
      {"RetryPasses", &AppSettings::m_retryPasses, 100, 99},
      {"RetryPasses", &AppSettings::m_retryPasses, 99, 99},
      {"LastUsedExt", &AppSettings::m_lastUsedExt, 0, 1},
      {"LastUsedExt", &AppSettings::m_lastUsedExt, 7, 4},
      {"Sound", &AppSettings::m_sound, 5, 1},
      {"LastUpdate", &AppSettings::m_lastUpdate, 0xFFFFFFFFu, 0xFFFFFFFFu},
  };
  for (const auto& c : cases) {
    StoreDword(kSettingsKey, c.name, c.stored);
    AppSettings app;
    SelfExeSettings selfExe;
    LoadSettings(*registry, 5, app, selfExe);
    EXPECT_EQ(app.*c.member, c.loaded) << c.name << "=" << c.stored;
  }
}

TEST_P(SettingsStore, WindowFadeNeedsWindows2000OrLater) {
  struct Case {
    uint32_t ntMajorVersion;
    uint32_t expected;
  } cases[] = {{0, 0}, {4, 0}, {5, 1}, {6, 1}};
  StoreDword(kSettingsKey, "WindowFx", 1);
  for (const Case& c : cases) {
    AppSettings app;
    SelfExeSettings selfExe;
    LoadSettings(*registry, c.ntMajorVersion, app, selfExe);
    EXPECT_EQ(app.m_windowFx, c.expected) << "NT " << c.ntMajorVersion;
  }
  RegistryKey key(*registry);
  ASSERT_EQ(key.Open(kHkeyCurrentUser, kSettingsKey), kErrorSuccess);
  uint32_t stored = 0;
  key.ReadDword("WindowFx", stored, 9);
  key.Close();
  EXPECT_EQ(stored, 1u);  // only the live value is switched off
}

TEST_P(SettingsStore, BatchRunOverridesAreNeverStored) {
  StoreString(kSettingsKey, "FDLetter", "B:");
  StoreDword(kSettingsKey, "FormatDisk", 1);
  StoreDword(kSettingsKey, "VerifyWrite", 1);
  AppSettings app;
  SelfExeSettings selfExe;
  LoadSettings(*registry, 5, app, selfExe);

  struct NoOperations : ICommandLineHost {
    void EnterBatchMode() override {}
    bool OpenAsSource(const std::string&) override { return false; }
    int LoadCurrentImage(const std::string&) override { return 0; }
    int SetCurrentTarget(const std::string&) override { return 0; }
    void SetCurrentDescription(const std::string&) override {}
    OperationOutcome WriteImageToFloppy() override { return OperationOutcome::Succeeded; }
    OperationOutcome ReadFloppyToImage() override { return OperationOutcome::Succeeded; }
    OperationOutcome CheckCurrentIntegrity() override { return OperationOutcome::Succeeded; }
    int LoadConversionSource(const std::string&) override { return 0; }
    int SetConversionTarget(const std::string&) override { return 0; }
    void SetConversionDescription(const std::string&) override {}
    OperationOutcome RunConversion() override { return OperationOutcome::Succeeded; }
    void ShowCommandLineHelp() override {}
  } host;
  CommandLine commandLine({"diskelle", "/v", "/s", "/i", "a.img", "/w"}, app, host);
  commandLine.Start();
  EXPECT_EQ(app.m_fdLetter, "A:");
  EXPECT_EQ(app.m_formatDisk, 0u);
  EXPECT_EQ(app.m_verifyWrite, 0u);
  EXPECT_EQ(app.m_suppress, 1u);

  AppSettings stored;
  LoadSettings(*registry, 5, stored, selfExe);
  EXPECT_EQ(stored.m_fdLetter, "B:");
  EXPECT_EQ(stored.m_formatDisk, 1u);
  EXPECT_EQ(stored.m_verifyWrite, 1u);
  EXPECT_EQ(stored.m_suppress, 0u);
  EXPECT_FALSE(ValueExists(kSettingsKey, "Suppress"));
}

TEST_P(SettingsStore, VersionMarkerAndWindowPlacement) {
  EXPECT_EQ(ReadLastStartedVersion(*registry), "0");
  WriteLastStartedVersion(*registry, kProgramVersion);
  EXPECT_EQ(ReadLastStartedVersion(*registry), "2.2.5");

  WindowPlacementValues none = ReadWindowPlacement(*registry);
  EXPECT_EQ(none.horizPos + none.vertPos + none.horizSize + none.vertSize, 0u);
  WriteWindowPlacement(*registry, {10, 20, 700, 500});
  WindowPlacementValues placement = ReadWindowPlacement(*registry);
  EXPECT_EQ(placement.horizPos, 10u);
  EXPECT_EQ(placement.vertPos, 20u);
  EXPECT_EQ(placement.horizSize, 700u);
  EXPECT_EQ(placement.vertSize, 500u);
}

TEST_P(SettingsStore, RegistryKeyResultsAndDefaults) {
  RegistryKey key(*registry);
  EXPECT_EQ(key.access, 0xF003Fu);
  EXPECT_EQ(key.Open(kHkeyCurrentUser, "Software\\Diskelle Tests\\Missing"), kErrorFileNotFound);
  EXPECT_EQ(key.lastResult, kErrorFileNotFound);

  ASSERT_EQ(key.Create(kHkeyCurrentUser, "Software\\Diskelle Tests\\Key"), kErrorSuccess);
  EXPECT_EQ(key.WriteString("", "default value"), kErrorSuccess);
  std::string text;
  EXPECT_EQ(key.ReadString("", text, "none"), kErrorSuccess);
  EXPECT_EQ(text, "default value");
  EXPECT_EQ(key.ReadString("missing", text, "fallback"), kErrorFileNotFound);
  EXPECT_EQ(text, "fallback");
  EXPECT_EQ(key.lastResult, kErrorFileNotFound);
  uint32_t dword = 0;
  EXPECT_EQ(key.ReadString("missing", text, "x"), key.lastResult);
  EXPECT_EQ(key.WriteDword("Value", 0xFFFFFFFFu), kErrorSuccess);
  EXPECT_EQ(key.ReadDword("value", dword, 0), kErrorSuccess);  // names ignore case
  EXPECT_EQ(dword, 0xFFFFFFFFu);
  EXPECT_EQ(key.Close(), kErrorSuccess);

  EXPECT_NE(key.ReadDword("Value", dword, 42), kErrorSuccess);  // closed key
  EXPECT_EQ(dword, 42u);
  EXPECT_NE(key.ReadString("", text, "closed"), kErrorSuccess);
  EXPECT_EQ(text, "closed");
}

TEST_P(SettingsStore, DeleteTreeRemovesNestedKeys) {
  for (const char* path : {"Software\\Diskelle Tests\\Tree\\A\\A1\\A11", "Software\\Diskelle Tests\\Tree\\A\\A2",
                           "Software\\Diskelle Tests\\Tree\\B", "Software\\Diskelle Tests\\Keep"}) {
    StoreDword(path, "v", 1);
  }
  RegistryKey parent(*registry);
  ASSERT_EQ(parent.Open(kHkeyCurrentUser, "Software\\Diskelle Tests"), kErrorSuccess);
  parent.lastResult = 12345;

  EXPECT_EQ(parent.DeleteTree("", 0, 1), kErrorBadKey);
  EXPECT_TRUE(KeyExists("Software\\Diskelle Tests\\Tree\\A\\A1\\A11"));
  EXPECT_EQ(parent.DeleteTree("Missing", 0, 1), kErrorFileNotFound);
  EXPECT_EQ(parent.DeleteTree("Tree", 0, 1), kErrorSuccess);
  EXPECT_EQ(parent.lastResult, 12345);  // DeleteTree leaves lastResult alone
  parent.Close();

  EXPECT_FALSE(KeyExists("Software\\Diskelle Tests\\Tree"));
  EXPECT_TRUE(KeyExists("Software\\Diskelle Tests\\Keep"));

  RegistryKey other(*registry);
  EXPECT_EQ(other.DeleteTree("Software\\Diskelle Tests\\Keep", kHkeyCurrentUser, 0), kErrorSuccess);
  EXPECT_FALSE(KeyExists("Software\\Diskelle Tests\\Keep"));
}

INSTANTIATE_TEST_SUITE_P(Backends, SettingsStore, ::testing::ValuesIn(RegistryBackendsUnderTest()),
                         [](const auto& backend) { return backend.param.name; });

}  // namespace

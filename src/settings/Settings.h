#pragma once
// Every setting of the program: read once at start-up into these records, written back only by the dialog
// that changes them. DWORD flags: 0 = off, anything else = on.

#include <cstdint>
#include <initializer_list>
#include <string>

#include "base/Version.h"
#include "settings/RegistryBackend.h"

inline constexpr const char* kSettingsKey = "Software\\Kestrix Software\\Diskelle\\Settings";
inline constexpr const char* kSelfExeKey = "Software\\Kestrix Software\\Diskelle\\Settings\\Self-Exe";
inline constexpr const char* kInfoKey = "Software\\Kestrix Software\\Diskelle\\Info";
inline constexpr const char* kInitKey = "Software\\Kestrix Software\\Diskelle\\Init";

inline constexpr uint32_t kMaxRetryPasses = 99;

// The save dialog's filters, one per form that can be written (image/forms/ImageForm.cpp lists them).
inline constexpr uint32_t kSaveFilters = 4;

struct AppSettings {
  uint32_t m_suppress = 0;
  uint32_t m_emergency = 0;
  uint32_t m_sound = 1;
  uint32_t m_compatible = 0;
  uint32_t m_windowFx = 0;
  std::string m_fdLetter = "A:";
  uint32_t m_advancedMode = 0;
  uint32_t m_toolTips = 1;
  uint32_t m_formatDisk = 0;
  uint32_t m_verifyFormat = 1;
  uint32_t m_verifyWrite = 1;
  uint32_t m_recreateBad = 0;
  uint32_t m_lastUsedExt = 1;  // the save dialog's filter: 1 .imz, 2 .img, 3 .exe, 4 .imd (kSaveFilters)
  uint32_t m_checkUpdates = 1;
  uint32_t m_lastUpdate = 0;  // seconds since 1970 (UTC)
  uint32_t m_retryPasses = 0;  // emergency reading: passes over the bad sectors after the first
  std::string m_driveANode;   // a path standing in for A: (floppy/DriveNode.h); empty: the system's drive
  std::string m_driveBNode;
};

struct SelfExeSettings {
  uint32_t m_customPicture = 0;
  std::string m_picturePath;
  uint32_t m_windowFx = 0;
  uint32_t m_licenseDisplay = 0;
  uint32_t m_licensePicture = 0;
  std::string m_licenseTitle = "授权协议";
  std::string m_licenseText;
  uint32_t m_createPicture = 1;
  uint32_t m_createDescription = 1;
  std::string m_createTitle = "创建软盘";
  std::string m_createText =
      "请按照以下步骤创建软盘:\r\n\r\n1) 放置一张允许写入的软盘到驱动器中\r\n2) 点击下面的 '创建' 按钮\r\n3) 等待操作完成";
  uint32_t m_format = 0;
  uint32_t m_verifyFormat = 0;  // unlike the Settings key's VerifyFormat, off by default
  uint32_t m_verifyWrite = 1;
  uint32_t m_driveB = 0;
  uint32_t m_overwriteDialog = 1;
  uint32_t m_successDialog = 1;
  uint32_t m_restartDialog = 0;
};

// Reads both keys in table order (creating them on a first start). Below Windows 2000 (ntMajorVersion < 5,
// 0 on Windows 9x) the window fade is switched off in memory only.
void LoadSettings(IRegistryBackend& registry, uint32_t ntMajorVersion, AppSettings& app, SelfExeSettings& selfExe);

// A writer stores only its own values (by their registry names), one write per value. True when every write
// succeeded; the dialogs ignore it (the records keep the user's values either way), the command line reports it.
bool StoreSettings(IRegistryBackend& registry, const AppSettings& app, std::initializer_list<const char*> names);
bool StoreSettings(IRegistryBackend& registry, const SelfExeSettings& selfExe,
                   std::initializer_list<const char*> names);

// Info\Version: the version that last started ("0" when unknown).
std::string ReadLastStartedVersion(IRegistryBackend& registry);
void WriteLastStartedVersion(IRegistryBackend& registry, const std::string& version);

// Init: the main window's placement (0 when never stored).
struct WindowPlacementValues {
  uint32_t horizPos = 0;
  uint32_t vertPos = 0;
  uint32_t horizSize = 0;
  uint32_t vertSize = 0;
};
WindowPlacementValues ReadWindowPlacement(IRegistryBackend& registry);
void WriteWindowPlacement(IRegistryBackend& registry, const WindowPlacementValues& placement);

#pragma once
// The two pages of the settings sheet apart from their windows. Each page copies the live settings when it
// is made and keeps its check states (0 or 1); its OK puts them into the live settings first, so that the
// program uses the user's choice even when a write fails, then writes the Settings key in its own order.
// The sheet runs a page's OK only when the user opened that page.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/FileAssociations.h"
#include "settings/RegistryBackend.h"
#include "settings/Settings.h"

// "应用程序": behaviour and file types.
class ApplicationPage {
 public:
  // The association states are read for programPath.
  ApplicationPage(AppSettings& live, IRegistryBackend& registry, std::string programPath);

  int suppress = 0;
  int sound = 0;
  int imgAssociated = 0;
  int imzAssociated = 0;
  int windowFx = 0;
  int toolTips = 0;
  int advancedMode = 0;
  int checkUpdates = 0;

  // The tooltip check box takes effect at the click, so that the user sees tips vanish or appear.
  void SetToolTips(int on);
  // Cancel: the tooltips return to their state before the sheet; nothing else changes.
  void Cancel();
  // Settings first, then the association changes with one notification (notifier may be null).
  void Ok(IShellNotifier* notifier);

  // The fade needs layered windows: Windows 2000 or newer (ntMajorVersion 0 on Windows 9x).
  static bool FadeAvailable(uint32_t ntMajorVersion) { return ntMajorVersion >= 5; }

 private:
  AppSettings& live_;
  IRegistryBackend& registry_;
  std::string programPath_;
  int toolTipsAtStart_;
  int imgAssociatedAtStart_;
  int imzAssociatedAtStart_;
};

// "软盘": disk access.
class DiskAccessPage {
 public:
  DiskAccessPage(AppSettings& live, IRegistryBackend& registry, uint32_t ntMajorVersion);

  int driveB = 0;  // any FDLetter but "A:" shows as drive B:
  int compatible = 0;
  int emergency = 0;
  int formatDisk = 0;
  int recreateBad = 0;
  int verifyFormat = 0;
  int verifyWrite = 0;
  int retryPasses = 0;  // 0 .. kMaxRetryPasses

  // The retry field's text: digits only (none: 0; beyond the range: the largest); nullopt for anything else.
  static std::optional<int> ParseRetryPasses(std::string_view text);

  // Both only mean something when the disk is formatted; their check states are kept while greyed.
  bool VerifyFormatEnabled() const { return formatDisk != 0; }
  // Recreating bad sectors needs the NT format request.
  bool RecreateBadEnabled() const { return formatDisk != 0 && ntMajorVersion_ != 0; }

  void Ok();

 private:
  AppSettings& live_;
  IRegistryBackend& registry_;
  uint32_t ntMajorVersion_;
};

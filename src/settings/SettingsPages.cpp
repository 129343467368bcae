#include "settings/SettingsPages.h"

#include <algorithm>

#include <utility>

#include "base/Strings.h"

namespace {

int CheckState(uint32_t flag) { return flag != 0 ? 1 : 0; }

AssociationChange ChangeOf(int now, int atStart) {
  if (now == atStart) return AssociationChange::Keep;
  return now ? AssociationChange::Register : AssociationChange::Remove;
}

}  // namespace

ApplicationPage::ApplicationPage(AppSettings& live, IRegistryBackend& registry, std::string programPath)
    : suppress(CheckState(live.m_suppress)),
      sound(CheckState(live.m_sound)),
      imgAssociated(IsAssociated(registry, ".img", programPath)),
      imzAssociated(IsAssociated(registry, ".imz", programPath)),
      windowFx(CheckState(live.m_windowFx)),
      toolTips(CheckState(live.m_toolTips)),
      advancedMode(CheckState(live.m_advancedMode)),
      checkUpdates(CheckState(live.m_checkUpdates)),
      live_(live),
      registry_(registry),
      programPath_(std::move(programPath)),
      toolTipsAtStart_(toolTips),
      imgAssociatedAtStart_(imgAssociated),
      imzAssociatedAtStart_(imzAssociated) {}

void ApplicationPage::SetToolTips(int on) {
  toolTips = CheckState(static_cast<uint32_t>(on));
  live_.m_toolTips = static_cast<uint32_t>(toolTips);
}

void ApplicationPage::Cancel() { live_.m_toolTips = static_cast<uint32_t>(toolTipsAtStart_); }

void ApplicationPage::Ok(IShellNotifier* notifier) {
  live_.m_advancedMode = static_cast<uint32_t>(advancedMode);
  live_.m_toolTips = static_cast<uint32_t>(toolTips);
  live_.m_sound = static_cast<uint32_t>(sound);
  live_.m_windowFx = static_cast<uint32_t>(windowFx);
  live_.m_suppress = static_cast<uint32_t>(suppress);
  live_.m_checkUpdates = static_cast<uint32_t>(checkUpdates);
  StoreSettings(registry_, live_, {"Sound", "WindowFx", "Suppress", "AdvancedMode", "ToolTips", "CheckUpdates"});
  ChangeAssociations(registry_, programPath_, ChangeOf(imgAssociated, imgAssociatedAtStart_),
                     ChangeOf(imzAssociated, imzAssociatedAtStart_), notifier);
}

DiskAccessPage::DiskAccessPage(AppSettings& live, IRegistryBackend& registry, uint32_t ntMajorVersion)
    : driveB(EqualsIgnoringCase(live.m_fdLetter, "A:") ? 0 : 1),
      compatible(CheckState(live.m_compatible)),
      emergency(CheckState(live.m_emergency)),
      formatDisk(CheckState(live.m_formatDisk)),
      recreateBad(CheckState(live.m_recreateBad)),
      verifyFormat(CheckState(live.m_verifyFormat)),
      verifyWrite(CheckState(live.m_verifyWrite)),
      retryPasses(static_cast<int>(std::min(live.m_retryPasses, kMaxRetryPasses))),
      live_(live),
      registry_(registry),
      ntMajorVersion_(ntMajorVersion) {}

void DiskAccessPage::Ok() {
  live_.m_emergency = static_cast<uint32_t>(emergency);
  live_.m_compatible = static_cast<uint32_t>(compatible);
  live_.m_formatDisk = static_cast<uint32_t>(formatDisk);
  live_.m_verifyFormat = static_cast<uint32_t>(verifyFormat);
  live_.m_verifyWrite = static_cast<uint32_t>(verifyWrite);
  live_.m_recreateBad = static_cast<uint32_t>(recreateBad);
  live_.m_fdLetter = driveB ? "B:" : "A:";
  live_.m_retryPasses = static_cast<uint32_t>(std::clamp(retryPasses, 0, static_cast<int>(kMaxRetryPasses)));
  StoreSettings(registry_, live_,
                {"Emergency", "Compatible", "FDLetter", "FormatDisk", "VerifyFormat", "VerifyWrite", "RecreateBad",
                 "RetryPasses"});
}

std::optional<int> DiskAccessPage::ParseRetryPasses(std::string_view text) {
  int passes = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    passes = std::min(passes * 10 + (c - '0'), static_cast<int>(kMaxRetryPasses));
  }
  return passes;
}

#include "net/WeeklyCheck.h"

#include <chrono>

bool WeeklyCheckDue(uint32_t lastUpdate, int64_t now) {
  return now - static_cast<int64_t>(lastUpdate) >= kWeekSeconds;
}

int64_t SecondsSince1970() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

bool RunWeeklyUpdateCheck(AppSettings& settings, IRegistryBackend& registry, bool internetAvailable, int64_t now,
                          const std::function<void()>& check) {
  if (!settings.m_checkUpdates || !internetAvailable || !WeeklyCheckDue(settings.m_lastUpdate, now)) return false;
  check();
  settings.m_lastUpdate = static_cast<uint32_t>(now);
  StoreSettings(registry, settings, {"LastUpdate"});
  return true;
}

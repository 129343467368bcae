#pragma once
// The automatic update check at start-up: once a week while CheckUpdates is on and WinInet can be used.

#include <cstdint>
#include <functional>

#include "settings/RegistryBackend.h"
#include "settings/Settings.h"

inline constexpr int64_t kWeekSeconds = 604800;

// True when a week has passed since lastUpdate; a clock set back before it never counts.
bool WeeklyCheckDue(uint32_t lastUpdate, int64_t now);

// Seconds since 1970 (UTC).
int64_t SecondsSince1970();

// When due: runs the check (the update dialog in its automatic mode), then stores now as LastUpdate, also
// when the check failed, so that the next try is a week later. True when the check ran.
bool RunWeeklyUpdateCheck(AppSettings& settings, IRegistryBackend& registry, bool internetAvailable, int64_t now,
                          const std::function<void()>& check);

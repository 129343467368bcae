#pragma once
// What every dialog of the program reads while it runs: the live settings (the ToolTips and WindowFx options
// take effect at once when the settings sheet changes them) and the platform.

#include "app/Platform.h"
#include "settings/Settings.h"

struct DialogContext {
  const AppSettings& settings;
  PlatformInfo platform;
};

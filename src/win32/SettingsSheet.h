#pragma once
// Command 32774: the settings sheet ("设置") with its pages "应用程序" and "软盘" over the main window. The
// pages read the live settings when the sheet is made and store only when the user opened them and
// pressed OK.

#include <windows.h>

#include <cstdint>
#include <string>

#include "settings/FileAssociations.h"
#include "settings/RegistryBackend.h"
#include "settings/Settings.h"
#include "ui/DialogContext.h"

struct SettingsSheetServices {
  AppSettings& live;
  IRegistryBackend& registry;
  std::string programPath;  // whose associations the first page shows
  uint32_t ntMajorVersion;  // 0 on Windows 9x
  IShellNotifier* shell;    // told once when associations changed; may be null
};

// The sheet's result: positive after OK, 0 after Cancel, -1 when it could not be shown.
INT_PTR RunSettingsSheet(HWND owner, const DialogContext& context, const SettingsSheetServices& services);

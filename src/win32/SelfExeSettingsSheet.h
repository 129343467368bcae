#pragma once
// Command 32779: the self-extractor settings sheet ("自解压设置") over the main window. Its pages store their
// values themselves (into services.live and the Self-Exe key); the sheet's result means nothing.

#include <windows.h>

#include "ui/DialogContext.h"
#include "win32/SelfExePage.h"

void RunSelfExeSettingsSheet(HWND owner, const DialogContext& context, const SelfExeSheetServices& services);

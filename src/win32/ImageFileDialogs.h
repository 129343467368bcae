#pragma once
// The two standard file dialogs that every image command uses: open (with a preview of the selected
// image's description below the system's controls) and save (which refuses a read-only file and asks
// before an existing one is replaced).

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/Platform.h"
#include "base/MessageBoxes.h"

// 0 with the chosen path, or -1 when the user cancelled or the dialog failed.
int RunOpenImageDialog(HWND owner, const PlatformInfo& platform, IMessageBoxes& boxes, std::string& path);

// filterIndex: 1 .imz, 2 .img, 3 .exe, 4 .imd (LastUsedExt). 0 with the chosen path, or -1 when the user cancelled,
// the file is read-only (after message 125) or the user does not want to replace it (question 104).
int RunSaveImageDialog(HWND owner, const PlatformInfo& platform, IMessageBoxes& boxes, uint32_t filterIndex,
                       std::string& path);

// A BMP picture for the self-extractor (the file must exist). 0 with the chosen path, or -1 when the user
// cancelled or the dialog failed; the caller checks the extension.
int RunOpenPictureDialog(HWND owner, const PlatformInfo& platform, std::string& path);

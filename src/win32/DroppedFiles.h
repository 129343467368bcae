#pragma once
// Files dropped on a window (WM_DROPFILES).

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

// The first dropped file's whole path, however long (a cut path could name another file); the rest are
// ignored. Releases the drop. Empty when nothing usable was dropped.
std::string FirstDroppedFile(HDROP drop);
// Every dropped file and folder, by its whole path. Releases the drop.
std::vector<std::string> DroppedFiles(HDROP drop);

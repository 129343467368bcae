#pragma once
// Files dropped on a window (WM_DROPFILES).

#include <windows.h>
#include <shellapi.h>

#include <string>

// The first dropped file's whole path, however long (a cut path could name another file); the rest are
// ignored. Releases the drop. Empty when nothing usable was dropped.
std::string FirstDroppedFile(HDROP drop);

#pragma once
// The self-extractor settings sheet of a running diskelle.exe, worked as a user works it: opened from the
// main window's menu, its tabs clicked.

#include <windows.h>

#include "support/Robot_win32.h"

namespace scenario {

// Chooses menu command 32779 and waits for the sheet; nullptr when it does not appear.
HWND OpenSelfExeSheet(const robot::Process& process, HWND main);
// Clicks the tab (as the tab control reports a click) and waits for its page; nullptr when the sheet stays
// on another page.
HWND SelectTab(HWND sheet, int index);
// The index of the page that shows, -1 when none.
int CurrentPageIndex(HWND sheet);

}  // namespace scenario

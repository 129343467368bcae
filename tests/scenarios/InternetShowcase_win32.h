#pragma once
// The Internet dialogs and the About box as a screenshot shows them, with a server of the test's own.

#include <windows.h>

#include <string>

#include "Scenario_win32.h"

namespace scenario {

// "update" (a new version offered), "news" (news with a link), "feedback" (a filled form), "about".
// nullptr when the dialog did not appear.
HWND ShowInternetDialog(Workspace& workspace, const std::string& name);

}  // namespace scenario

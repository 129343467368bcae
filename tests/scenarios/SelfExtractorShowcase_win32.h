#pragma once
// The self-extractor's pages as a screenshot shows them: an image built by diskelle.exe with stored options,
// run with the floppy in drive A:.

#include <windows.h>

#include <string>

#include "Scenario_win32.h"

namespace scenario {

// "sfx-licence" (with a picture), "sfx-licence-plain", "sfx-create" (picture and description),
// "sfx-create-builtin" (the built-in picture), "sfx-create-plain". nullptr when the page did not appear.
HWND ShowSelfExtractorPage(Workspace& workspace, const std::string& name);
// Ends the images started for a picture (before their folder goes).
void EndSelfExtractors();

}  // namespace scenario

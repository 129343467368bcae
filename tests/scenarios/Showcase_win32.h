#pragma once
// diskelle.exe brought into the states a screenshot shows (scripts/screenshots): the main window empty,
// advanced, with an image or a target; the progress window, the report, the help, the description and
// open dialogs; the settings sheet on either page.

#include <string>
#include <vector>

namespace scenario {

std::vector<std::string> ShowcaseNames();

// Brings the program into the named state, writes "left top width height" of the window to photograph
// into readyFile (a Windows path) and waits until that file is gone. 0, 1 when the state was not
// reached, 2 for an unknown name.
int RunShowcase(const std::string& name, const std::string& readyFile);

}  // namespace scenario

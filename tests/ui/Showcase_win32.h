#pragma once
// ui_tests.exe --showcase <name> [--ready-file <path>]: shows one of the program's dialogs with sample
// content, for the screenshots and for the robot tests that drive it from another process. The exit code
// is the dialog's result (a message box's: IDYES 6, IDNO 7).
//
// With --ready-file, once the dialog is on the screen its window rectangle ("left top width height") is
// written to that file; the dialog closes itself when the file is deleted (or after a minute).

#include <string>
#include <vector>

// The names of the dialogs it can show.
std::vector<std::string> ShowcaseNames();

// Returns the process exit code; 2 for an unknown name.
int RunShowcase(const std::vector<std::string>& arguments);

#pragma once
// The image types on a freedesktop desktop: a MIME type for each (mime/packages/diskelle.xml) and a desktop
// entry that opens them with this program in a terminal (applications/diskelle.desktop), both below the
// user's data folder, followed by the desktop's own tools that rebuild their caches when they are installed.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

// The desktop entry for the program at programPath, and the MIME type definitions.
std::string DesktopEntryText(const std::string& programPath);
std::string MimeTypesText();

// Writes (associate) or removes the two files below dataHome and runs the tools; prints what it did. The exit
// status: a file that could not be written or removed fails the run, a tool that failed is only a warning.
// A program path that a desktop cannot start (not UTF-8, or with a %) is refused before anything is written;
// when the entry cannot be written, the types are put back as they were.
int ChangeDesktopAssociation(bool associate, const std::string& programPath, const std::string& dataHome,
                             std::FILE* out, std::FILE* err);

// --- DesktopSystem_posix.cpp --------------------------------------------------------------------------------

// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
std::string DesktopDataHome();
// Runs the program named by the first argument, found on $PATH, without a shell: its exit status (-1 when it
// could not be started or did not end normally), or nullopt when it is not on $PATH.
std::optional<int> RunDesktopTool(const std::vector<std::string>& arguments);

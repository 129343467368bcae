#pragma once
// Where the POSIX program takes the self-extractor from when it builds an .exe image: it cannot carry the
// Windows program in its own file, so the stub is a file of its own.

#include <string>

#include "base/Environment.h"

// $DISKELLE_SFX when set; else diskelle-sfx.exe beside the program (ownPath), as a build tree has it; else
// diskelle-sfx.exe in installedFolder, taken relative to the program's folder (where `cmake --install` puts
// it). When there is none, the installed place, whose message says where the stub is looked for and how to
// get one.
std::string SelfExtractorCarrier(const EnvironmentLookup& environment, const std::string& ownPath,
                                 const std::string& installedFolder);

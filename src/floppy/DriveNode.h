#pragma once
// What stands behind drive letters A: and B:. $DISKELLE_DRIVE_A / $DISKELLE_DRIVE_B, then the DriveANode /
// DriveBNode settings, may name a path for a letter: a regular file is a virtual floppy (docs/virtual-floppy.md),
// a block device (Linux) that drive (docs/linux-drives.md). The environment wins, so that a one-off run can
// point elsewhere without changing what is stored.

#include <optional>
#include <string>

#include "base/Environment.h"
#include "settings/Settings.h"

// 'A' or 'B' from the FDLetter setting ("A:", "b:", ...); anything else is A:.
char DriveLetterOf(const AppSettings& settings);

// The path named for letter, nullopt when neither the environment nor the settings name one.
std::optional<std::string> DriveNodeFor(const EnvironmentLookup& environment, const AppSettings& settings,
                                        char letter);

#pragma once
// An image's sectors for the file system: the raw image of any form, and its bad sectors.

#include <optional>
#include <string>

#include "base/MessageBoxes.h"
#include "base/DiskSectors.h"

// The raw sectors of the image at path and the bad ones among them: those holding the marker block, and
// those the map of its rescue (<image>.map), when it lies beside the image, does not call read ('+').
// nullopt after the message of the image's load; a damaged map is reported and left aside.
std::optional<DiskSectors> LoadImageSectors(const std::string& path, IMessageBoxes& boxes);

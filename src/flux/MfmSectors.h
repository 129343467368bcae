#pragma once
// The IBM MFM sector finder: sync marks (A1 written with a missing clock), the ID address mark (FE) with
// cylinder, head, sector and size, the data address mark (FB, or F8 for deleted data) with the sector's
// bytes, each field checked by its CRC.

#include <vector>

#include "flux/DataSeparator.h"
#include "flux/SectorCopy.h"

// Every ID field of the track, with the data field that follows it closely enough to belong to it.
std::vector<SectorCopy> FindSectors(const SeparatedTrack& track);

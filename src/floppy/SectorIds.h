#pragma once
// The sector IDs a format lays on one side of a track, with the sectors to recreate as bad made
// unaddressable. Every device path that formats (NT, Linux) builds its request from these.

#include <cstdint>
#include <vector>

#include "base/Geometry.h"

// badFlags holds one value per linear sector (1 = recreate as bad); it may be shorter than the disk. A
// flagged sector gets ID 0 where its own ID would have gone, so that it, and no neighbour, becomes
// unaddressable. The IDs come in track order; recreatesBad tells whether any sector was flagged.
std::vector<uint16_t> SideSectorIds(int track, int head, const FloppyGeometry& image,
                                    const std::vector<uint32_t>& badFlags, bool& recreatesBad);

#pragma once
// The format request for one side of one track, as the NT device path sends it: the plain request
// (media type only) or, for the formats that need gap length and sector IDs and for every side with a
// sector to recreate as bad, the extended one.

#include <cstdint>
#include <vector>

#include "base/Geometry.h"

struct NtFormatRequest {
  uint32_t controlCode = 0;    // kIoctlDiskFormatTracks or kIoctlDiskFormatTracksEx
  std::vector<uint8_t> bytes;  // 20 or 224 bytes
  bool recreatesBad = false;   // a flagged sector lies on this side
};

// badFlags holds one value per linear sector (1 = recreate as bad); it may be shorter than the disk. A
// flagged sector gets ID 0 where its own ID would have gone, so that it, and no neighbour, becomes
// unaddressable.
NtFormatRequest BuildNtFormatRequest(int track, int head, const FloppyGeometry& image,
                                     const std::vector<uint32_t>& badFlags);


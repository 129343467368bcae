#pragma once
// One track of a capture read through: its flux loaded, its cells separated, its sectors found.

#include <vector>

#include "flux/Capture.h"
#include "flux/SectorCopy.h"

struct TrackReading {
  TrackFault fault = TrackFault::None;
  int revolutions = 0;
  // Every copy whose ID is known: by its CRC, or, where the ID field is damaged, by the place of its
  // revolution where another revolution read that sector's ID.
  std::vector<SectorCopy> copies;
};

TrackReading ReadTrack(Capture& capture, const TrackPlace& place);

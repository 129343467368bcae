#pragma once
// Which of the PC formats the program knows (base/Geometry: 360 KB ... 1.68 MB) a captured disk has, told
// from its sectors' IDs: the sectors per track, then the cylinders (40 or 80 where both exist).

#include <vector>

#include "base/Geometry.h"
#include "flux/SectorCopy.h"

enum class LayoutFault {
  None,
  NoSectors,      // no ID field of a 512-byte sector was read
  UnknownFormat,  // sectors per track of no known format
};

struct DiskLayout {
  FloppyGeometry geometry;
  LayoutFault fault = LayoutFault::None;
  int sectorsPerTrack = 0;  // as the IDs show it, also when no format has it
};

// ids: those read with a good CRC, from anywhere on the disk.
DiskLayout RecogniseLayout(const std::vector<SectorId>& ids);

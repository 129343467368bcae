#pragma once
// A floppy's FAT volume as another tool makes it: mtools (run through Wine) formats a 1.44 MB
// image with the label RESCUED and copies README.TXT (5000 bytes of 'r') to the root and BIG.BIN (3000 bytes
// of 'b') into DOCS/.

#include <cstdint>
#include <optional>
#include <string>

#include "Scenario_win32.h"

namespace scenario {

struct FatDisk {
  std::string raw;            // the image's 1,474,560 bytes
  int64_t bigFirstSector = 0;  // where DOCS/BIG.BIN begins (one sector per cluster)
};

std::optional<FatDisk> MakeFatDisk(Workspace& workspace);

// raw with the marker block in place of sector, as an emergency read leaves it.
std::string WithBadSector(std::string raw, int64_t sector);

}  // namespace scenario

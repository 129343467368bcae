#pragma once
// FAT12, the file system of floppy disks: its capacity and free space as the system reports them, and the
// blank volume a fresh format puts on a disk. Sectors are 512 bytes, numbered linearly from 0.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "base/Geometry.h"

struct Fat12Space {
  uint64_t totalBytes = 0;  // data clusters x cluster size
  uint64_t freeBytes = 0;
};

// A sector's 512 bytes, or nullptr when it cannot be read.
using SectorReader = std::function<const uint8_t*(int64_t sector)>;

// nullopt unless sector 0 holds a FAT12 boot sector that fits a disk of sectorCount sectors and the first
// FAT can be read. Every field is checked: the disk is untrusted.
std::optional<Fat12Space> MeasureFat12(const SectorReader& read, int64_t sectorCount);

// An empty FAT12 volume for one of the known formats: boot sector (with serial as its volume serial number),
// both FATs, empty root directory, and zeros everywhere else. Empty for a geometry not in the format table.
std::vector<uint8_t> BlankFat12Volume(const FloppyGeometry& geometry, uint32_t serial = 0);

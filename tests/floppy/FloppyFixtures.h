#pragma once
// Floppies for tests: every sector holds bytes that name it, so misplaced data shows.

#include <cstdint>
#include <cstring>
#include <vector>

#include "filesystem/Fat12.h"
#include "floppy/virtual/VirtualFloppy.h"

inline std::vector<uint8_t> SectorPattern(int64_t sector, uint8_t salt = 0) {
  std::vector<uint8_t> bytes(kSectorBytes);
  for (int i = 0; i < kSectorBytes; ++i)
    bytes[static_cast<std::size_t>(i)] = static_cast<uint8_t>(sector * 7 + i + salt);
  std::memcpy(bytes.data(), &sector, sizeof sector);
  return bytes;
}

inline VirtualFloppy PatternedFloppy(const FloppyGeometry& geometry) {
  VirtualFloppy floppy = NewVirtualFloppy(geometry);
  for (int64_t sector = 0; sector < floppy.SlotCount(); ++sector) {
    std::vector<uint8_t> bytes = SectorPattern(sector);
    std::memcpy(floppy.SlotData(floppy.SlotOfSector(sector)), bytes.data(), bytes.size());
  }
  return floppy;
}

// The disk with the boot sector of its format in its first sector (when the format has one and the sector
// can be found): DOS measures a disk by it.
inline VirtualFloppy Measurable(VirtualFloppy floppy) {
  std::vector<uint8_t> volume = BlankFat12Volume(floppy.geometry);
  int64_t slot = floppy.SlotOfSector(0);
  if (volume.size() >= static_cast<std::size_t>(kSectorBytes) && slot >= 0) {
    std::memcpy(floppy.SlotData(slot), volume.data(), kSectorBytes);
  }
  return floppy;
}

inline VirtualFloppy BootableFloppy(const FloppyGeometry& geometry) { return Measurable(PatternedFloppy(geometry)); }

inline void MarkSector(VirtualFloppy& floppy, int64_t sector, uint8_t faults) {
  floppy.slots[static_cast<std::size_t>(floppy.SlotOfSector(sector))].faults |= faults;
}

inline std::vector<uint8_t> SectorsOf(const VirtualFloppy& floppy, int64_t first, int count) {
  std::vector<uint8_t> bytes;
  for (int64_t sector = first; sector < first + count; ++sector) {
    const uint8_t* data = floppy.SlotData(floppy.SlotOfSector(sector));
    bytes.insert(bytes.end(), data, data + kSectorBytes);
  }
  return bytes;
}

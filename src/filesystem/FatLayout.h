#pragma once
// Where a FAT volume's parts lie on a floppy: what its boot sector says (or, on the oldest disks, the media
// byte its FAT begins with), and the standard layouts of the disk formats, among them the ones this program
// formats. One parser and one table serve formatting, reading and writing volumes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "base/Geometry.h"

inline constexpr std::size_t kFatEntryBytes = 32;  // a folder entry

struct FatLayout {
  int64_t sectorsPerCluster = 1;
  int64_t reserved = 1;  // sectors before the first FAT, the boot sector among them
  int64_t fats = 2;
  int64_t rootEntries = 0;
  int64_t totalSectors = 0;
  int64_t sectorsPerFat = 0;
  uint8_t media = 0xF0;

  int64_t RootSectors() const {
    return (rootEntries * static_cast<int64_t>(kFatEntryBytes) + kSectorBytes - 1) / kSectorBytes;
  }
  int64_t FirstRootSector() const { return reserved + fats * sectorsPerFat; }
  int64_t FirstDataSector() const { return FirstRootSector() + RootSectors(); }
  // Whole clusters between the first data sector and the end of the volume.
  int64_t Clusters() const { return (totalSectors - FirstDataSector()) / sectorsPerCluster; }
};

// A layout the disk formats have: DOS's, other tools', and the one this program formats (madeHere).
struct StandardFatLayout {
  FatLayout layout;
  bool madeHere;
};
std::span<const StandardFatLayout> StandardFatLayouts();

// The layout this program formats a disk of geometry with; nullopt for a geometry not in the format table.
std::optional<FatLayout> BlankFatLayout(const FloppyGeometry& geometry);

// The layout sector 0 describes: nullopt unless it begins with a jump, names 512-byte sectors, a power-of-two
// cluster, at least one reserved sector, one or two FATs, a root folder and FAT sectors. The fields are not
// checked against a disk: the boot sector is untrusted, and its readers decide what a lie costs them.
std::optional<FatLayout> LayoutOfBootSector(const uint8_t* boot);
// The first DOS disks had no parameters in their boot sector: the FAT's first byte, the media byte, tells
// which of the four single- and double-sided 5.25" formats the disk has.
std::optional<FatLayout> LayoutOfMediaByte(const uint8_t* fat);

#pragma once
// What the files window and the bad-sector report show of a volume: one row per entry with its texts and
// sort keys, the damaged entries, and lines that sum up the volume and where its bad sectors lie.

#include <cstdint>
#include <string>
#include <vector>

#include "filesystem/FatVolume.h"

struct FileRow {
  int entry = -1;  // index in FatVolume::Entries()
  std::string name;
  std::string size;  // bytes with thousands separated; empty for a folder
  std::string date;  // "YYYY-MM-DD HH:MM:SS"
  std::string state;
  std::string nameKey;  // folders sort before files
  int64_t sizeKey = 0, dateKey = 0, stateKey = 0;
  bool damaged = false;  // damaged or of unknown place: shown so that it stands out
};

// The row of the entry; pathAsName puts its whole path in the name column (the report's list).
FileRow DescribeEntry(const FatVolume& volume, int entry, bool pathAsName = false);
// The rows of the entries in folder (-1: the root).
std::vector<FileRow> FolderRows(const FatVolume& volume, int folder);
// The rows, by path, of every entry a bad sector hit or whose place is unknown.
std::vector<FileRow> DamagedRows(const FatVolume& volume);

// "%d 个文件，%d 个文件夹；%d 个已损坏，%d 个位置不明", after the label if there is one.
std::string VolumeSummary(const FatVolume& volume);
// Where the bad sectors lie, area by area, or that there are none; then how many structural faults.
std::string AreasSummary(const FatVolume& volume);
// 1474560 -> "1,474,560".
std::string GroupedDigits(uint64_t value);


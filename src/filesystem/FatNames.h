#pragma once
// The names of FAT folder entries: the 8.3 short name (in the image's code page) and the VFAT long name
// spread over the entries before it (UTF-16).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "filesystem/FatLayout.h"

// A long-name entry: its ordinal's flag for the part that comes first in the folder (the name's last), and
// where its 13 UTF-16 units lie.
inline constexpr uint8_t kLastLongEntry = 0x40;
inline constexpr int kLongNameUnits = 13;
inline constexpr int kLongNameUnitOffsets[kLongNameUnits] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
// The lower-case flags of a short entry's byte 12, which Windows NT and its successors set.
inline constexpr uint8_t kLowerBase = 0x08;
inline constexpr uint8_t kLowerExtension = 0x10;

// The checksum of an entry's 11-byte short name, which its long-name entries carry.
uint8_t ShortNameChecksum(const uint8_t* entry);

// The steps of a path on a disk as a user gives it ('/' between them): empty steps (a leading, doubled or
// trailing '/') left out.
std::vector<std::string> DiskPathSteps(std::string_view path);

// The short name of a 32-byte entry in UTF-8 ("NAME.EXT"), with the lower-case flags other systems set.
std::string ShortNameOf(const uint8_t* entry);

// Gathers the long-name entries of a folder in the order they come; one name at a time.
class LongNameCollector {
 public:
  void Add(const uint8_t* entry);
  // The long name that belongs to shortEntry (complete, in sequence, checksum matching), else empty. Starts
  // the next name.
  std::string TakeFor(const uint8_t* shortEntry);
  void Reset() { expected_ = -1; }

 private:
  char16_t units_[20 * kLongNameUnits] = {};
  int count_ = 0;
  int expected_ = -1;  // the ordinal the next entry must have; 0 when complete, -1 when nothing is gathered
  uint8_t checksum_ = 0;
};

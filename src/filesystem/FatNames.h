#pragma once
// The names of FAT folder entries: the 8.3 short name (in the image's code page) and the VFAT long name
// spread over the entries before it (UTF-16).

#include <cstdint>
#include <string>

#include "filesystem/FatLayout.h"

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
  char16_t units_[20 * 13] = {};
  int count_ = 0;
  int expected_ = -1;  // the ordinal the next entry must have; 0 when complete, -1 when nothing is gathered
  uint8_t checksum_ = 0;
};

#pragma once
// The information trailer's 1024-byte block in memory: formatted from a record, parsed from untrusted bytes.

#include <cstdint>
#include <string>

#include "image/ImageInfo.h"

inline constexpr int kTrailerVersion = 3;
inline constexpr std::size_t kDescriptionBytes = 255;  // of the system code page

struct TrailerFields {
  enum class Kind { None, Known, Newer };
  Kind kind = Kind::None;
  std::string description;  // system code page
  int32_t sectorsPerTrack = 18;
  int32_t tracks = 80;
  int32_t totalBytes = 0;
  int32_t freeBytes = 0;
  uint32_t checksum = 0;
};

// Reads exactly kTrailerBytes bytes of block. Versions 1 to 3 are read; a damaged block that still starts
// with the tag keeps the defaults for whatever cannot be found.
TrailerFields ParseTrailer(const uint8_t* block);

// The block for info's description (cut at a 0x01 or NUL it may contain, then to 255 bytes of the code page
// without splitting a character), geometry, byte counts and checksum; NUL-filled to kTrailerBytes.
std::string FormatTrailer(const CImageInfo& info);

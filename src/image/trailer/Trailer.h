#pragma once
// The information trailer's 1024-byte block in memory: formatted from its fields, parsed from untrusted bytes.

#include <cstddef>
#include <cstdint>
#include <string>

// The last 1024 bytes of every image file we write (of .img files unless compatible mode leaves it off).
inline constexpr int kTrailerBytes = 1024;
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

// The block for fields (description in the system code page, at most kDescriptionBytes, without 0x01 or
// NUL), NUL-filled to kTrailerBytes.
std::string FormatTrailerBlock(const TrailerFields& fields);

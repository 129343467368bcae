#pragma once
// The marker block that stands in an image for every sector that could not be read: 512 bytes, the text
// below and zeros.

#include <cstddef>
#include <cstdint>

inline constexpr char kBadSectorMarker[] = "BAD SECTOR DUMMY BLOCK";
inline constexpr std::size_t kBadSectorMarkerBytes = 22;
bool IsBadSectorMarker(const uint8_t* block);
void FillBadSectorMarker(uint8_t* block);

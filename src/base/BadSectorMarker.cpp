#include "base/BadSectorMarker.h"

#include <cstring>

#include "base/Geometry.h"

bool IsBadSectorMarker(const uint8_t* block) {
  return std::memcmp(block, kBadSectorMarker, kBadSectorMarkerBytes) == 0;
}

void FillBadSectorMarker(uint8_t* block) {
  std::memset(block, 0, kSectorBytes);
  std::memcpy(block, kBadSectorMarker, kBadSectorMarkerBytes);
}

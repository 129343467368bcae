#include "floppy/SectorIds.h"

namespace {

// With the 2:1 interleave of the 1680 KB format, linear sector i (ID i + 1) is not at track position i.
void MarkBadSector(std::vector<uint16_t>& ids, int sector) {
  for (uint16_t& id : ids) {
    if (id == sector + 1) {
      id = 0;
      return;
    }
  }
}

}  // namespace

std::vector<uint16_t> SideSectorIds(int track, int head, const FloppyGeometry& image,
                                    const std::vector<uint32_t>& badFlags, bool& recreatesBad) {
  std::vector<uint16_t> ids = FormatSectorIds(image);
  recreatesBad = false;
  int64_t first = image.LinearSector(track, head, 0);
  for (int i = 0; i < image.sectorsPerTrack; ++i) {
    int64_t index = first + i;
    if (index < 0 || index >= static_cast<int64_t>(badFlags.size())) break;
    if (badFlags[static_cast<std::size_t>(index)] == 1) {
      MarkBadSector(ids, i);
      recreatesBad = true;
    }
  }
  return ids;
}

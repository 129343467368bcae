#include "floppy/NtFormatRequest.h"

#include "floppy/NtRecords.h"

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

NtFormatRequest BuildNtFormatRequest(int track, int head, const FloppyGeometry& image,
                                     const std::vector<uint32_t>& badFlags) {
  NtFormatExParameters request;
  request.plain.startCylinder = request.plain.endCylinder = static_cast<uint32_t>(track);
  request.plain.startHead = request.plain.endHead = static_cast<uint32_t>(head);
  request.sectorsPerTrack = static_cast<uint16_t>(image.sectorsPerTrack);

  const FloppyFormat* format = FindFloppyFormat(image);
  if (format) {
    request.plain.mediaType = format->ntMediaType;
    request.gapLength = format->gapLength;
  }

  NtFormatRequest result;
  request.sectorIds = SideSectorIds(track, head, image, badFlags, result.recreatesBad);

  // Only the extended request carries the IDs that make a sector bad.
  if ((format && format->extendedRequest) || result.recreatesBad) {
    result.controlCode = kIoctlDiskFormatTracksEx;
    result.bytes = EncodeFormatExParameters(request);
  } else {
    result.controlCode = kIoctlDiskFormatTracks;
    result.bytes = EncodeFormatParameters(request.plain);
  }
  return result;
}

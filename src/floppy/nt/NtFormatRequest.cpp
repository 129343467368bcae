#include "floppy/nt/NtFormatRequest.h"

#include "floppy/SectorIds.h"
#include "floppy/nt/NtRecords.h"

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

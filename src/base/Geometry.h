#pragma once
// The disk geometry model: tracks and sectors per track, always two heads and 512-byte sectors. Disk order
// (and raw image data) is track 0 head 0 sectors 1..n, track 0 head 1, track 1 head 0, and so on.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/MessageBoxes.h"

inline constexpr int kHeads = 2;
inline constexpr int kSectorBytes = 512;
// The largest raw image the program holds (a conversion, a listing of files): 2 MB, more than any floppy.
inline constexpr std::size_t kImageBufferBytes = 0x200000;

struct FloppyGeometry {
  int32_t tracks = 80;
  int32_t sectorsPerTrack = 18;

  int64_t TotalSectors() const { return int64_t{tracks} * sectorsPerTrack * kHeads; }
  int64_t TotalBytes() const { return int64_t{tracks} * sectorsPerTrack * 1024; }
  int32_t SizeKb() const { return tracks * sectorsPerTrack; }
  int32_t SideBytes() const { return sectorsPerTrack * kSectorBytes; }
  // Linear index of (track, head, sector counted from 0); its byte offset is the index times 512.
  int64_t LinearSector(int track, int head, int sector) const {
    return (int64_t{track} * kHeads + head) * sectorsPerTrack + sector;
  }
  bool operator==(const FloppyGeometry&) const = default;
};

// NT media types (MEDIA_TYPE) used by the format table.
inline constexpr uint32_t kMediaUnknown = 0;
inline constexpr uint32_t kMediaF5_1Pt2_512 = 1;
inline constexpr uint32_t kMediaF3_1Pt44_512 = 2;
inline constexpr uint32_t kMediaF3_720_512 = 5;
inline constexpr uint32_t kMediaF5_360_512 = 6;

// One row of the six known formats, keyed by tracks x sectors per track.
struct FloppyFormat {
  int32_t key;
  int32_t tracks;
  int32_t sectorsPerTrack;
  int32_t nominalBytes;
  uint32_t ntMediaType;
  bool extendedRequest;  // always IOCTL_DISK_FORMAT_TRACKS_EX (with gap length and sector IDs)
  uint16_t gapLength;    // of the extended request, which every format needs for recreated bad sectors
  bool interleaved;      // 2:1 sector order (1680 KB)
  uint8_t media9xTracks; // Windows 9x set-media-type CH:CL
  uint8_t media9xSectors;
  bool allowedOn9x;
};

const std::vector<FloppyFormat>& FloppyFormats();
// The row for tracks x sectorsPerTrack, or nullptr (media type Unknown, plain request, no 9x value).
const FloppyFormat* FindFloppyFormat(const FloppyGeometry& geometry);

// The sector IDs a format writes, in track order: 1..n, or the 2:1 interleave of the 1680 KB format.
std::vector<uint16_t> FormatSectorIds(const FloppyGeometry& geometry);

// The geometry of an image that does not state one: the first size window (nominal size +/- 10,239 bytes)
// that holds the size, else 80 x 18.
FloppyGeometry ClassifyImageSize(int64_t bytes);

// 0, or -1 after message 1053: formatting for this image is not possible on this system family.
int CheckFormatSupported(const FloppyGeometry& image, uint32_t ntMajorVersion, IMessageBoxes& boxes);

// 0 when the disk's geometry fits the image, else -1 after message 57675 or 57676.
int CheckDiskMatchesImage(const FloppyGeometry& image, const FloppyGeometry& disk, IMessageBoxes& boxes);

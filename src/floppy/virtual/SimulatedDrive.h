#pragma once
// The mechanics of a simulated floppy drive over a virtual floppy: sensing the medium, transferring
// sectors and formatting track sides, each advancing the drive's clock by the DriveTiming model. Results
// are Win32 error codes as the NT floppy driver reports them (0 = done).

#include <cstdint>
#include <limits>
#include <vector>

#include "floppy/virtual/DriveTiming.h"
#include "floppy/nt/NtRecords.h"
#include "floppy/virtual/VirtualFloppy.h"

// The medium that a format request's NT media type asks for, and what the drive fits on a track of it.
struct MediaProfile {
  uint32_t mediaType;
  DriveKind drive;
  int32_t cylinders;
  int32_t sectorsPerTrack;  // of the plain request
  uint16_t gapLength;       // the driver's own gap for the plain request
  int32_t trackBytes;       // bytes that pass the head in one revolution at the medium's data rate
};
const MediaProfile* FindMediaProfile(uint32_t mediaType);

// Bytes a sector occupies on the track besides its gap: sync, address mark, ID and data fields, CRCs.
inline constexpr int32_t kSectorRecordBytes = 574;

struct SideFormat {
  FloppyGeometry medium;  // the geometry the whole disk is being formatted to
  int cylinder = 0;
  int head = 0;
  std::vector<uint16_t> ids;  // in track order, one per slot
  uint16_t gapLength = 0;
  int32_t trackBytes = 0;
};

class SimulatedDrive {
 public:
  explicit SimulatedDrive(VirtualFloppy& floppy) : floppy_(floppy) {}

  void SpinUp() { Advance(kSpinUpNanoseconds); }
  // Recognises the medium by reading track 0.
  uint32_t SenseMedium(NtDiskGeometry& reply);
  // count sectors from a linear sector index; stops at the first sector that fails (those before it are
  // transferred).
  uint32_t ReadSectors(int64_t first, uint32_t count, uint8_t* out);
  uint32_t WriteSectors(int64_t first, uint32_t count, const uint8_t* in);
  // Lays a side out anew; a format to another geometry first lays out the whole medium anew (ReshapeMedium).
  // Sectors that do not fit in one revolution with their gaps get no address mark. A geometry or side
  // outside the medium limits is refused (invalid parameter) before anything moves.
  uint32_t FormatSide(const SideFormat& format);

 private:
  uint32_t Transfer(int64_t first, uint32_t count, uint8_t* buffer, bool write);
  void MoveHead(int cylinder);
  // A file may carry any clock up to the largest value: the clock stops there rather than overflow.
  void Advance(int64_t nanoseconds) {
    int64_t& now = floppy_.clockNanoseconds;
    now = nanoseconds > std::numeric_limits<int64_t>::max() - now ? std::numeric_limits<int64_t>::max() : now + nanoseconds;
  }

  VirtualFloppy& floppy_;
};

#pragma once
// A virtual floppy: a drive and the medium in it, as the simulated drive works on them and as a virtual
// floppy file stores them. The medium is a sequence of sector slots per track side in rotational order;
// each slot carries the ID it was formatted with (0 = formatted as bad, never found), physical faults that
// no format cures, and 512 bytes of data.

#include <cstdint>
#include <map>
#include <vector>

#include "base/Geometry.h"

enum class DriveKind : uint8_t {
  ThreePointFive = 1,  // formats 720, 800, 1440 and 1680 KB
  FiveAndQuarter = 2,  // formats 360 KB and 1.2 MB
};

// Faults of a slot.
inline constexpr uint8_t kSlotUnreadable = 0x01;     // reads fail with a data CRC error
inline constexpr uint8_t kSlotUnwritable = 0x02;     // writes fail with a write fault
inline constexpr uint8_t kSlotNoAddressMark = 0x04;  // not formatted at this geometry: never found
inline constexpr uint8_t kSlotFaultBits = 0x07;

inline constexpr uint8_t kFormatFillByte = 0xF6;  // what a format writes into every sector
inline constexpr int32_t kMaxVirtualTracks = 100;
inline constexpr int32_t kMaxVirtualSectorsPerTrack = 100;

struct SectorSlot {
  uint16_t id = 0;
  uint8_t faults = 0;
  bool operator==(const SectorSlot&) const = default;
};

struct VirtualFloppy {
  DriveKind drive = DriveKind::ThreePointFive;
  bool writeProtected = false;
  bool diskAbsent = false;
  bool refusesFormat = false;  // as USB drives answer format requests: not supported
  FloppyGeometry geometry;
  std::vector<SectorSlot> slots;  // (track * 2 + head) * sectorsPerTrack + position
  std::vector<uint8_t> data;      // 512 bytes per slot, in slot order
  int64_t clockNanoseconds = 0;   // simulated time this drive has spent, across all sessions
  int32_t headCylinder = 0;
  // Weak sectors (by linear index): each read fails with a data CRC error while reads that fail are left,
  // then the sector reads. Kept in memory only; the file has no place for them.
  std::map<int64_t, int> weakSectors;

  int64_t SlotCount() const { return geometry.TotalSectors(); }
  // The slot of side (track, head) formatted with this ID, or -1.
  int64_t FindSlot(int track, int head, int id) const;
  // The slot that a linear sector index addresses (its ID is the sector number within the side plus 1), or
  // -1 when the index lies outside the medium or no slot carries that ID.
  int64_t SlotOfSector(int64_t sector) const;
  // The data of a linear sector that the drive can read, or nullptr.
  const uint8_t* ReadableSector(int64_t sector) const;
  uint8_t* SlotData(int64_t slot) { return data.data() + slot * kSectorBytes; }
  const uint8_t* SlotData(int64_t slot) const { return data.data() + slot * kSectorBytes; }

  bool operator==(const VirtualFloppy&) const = default;
};

// The drive that takes a medium of this geometry: 40 x 9 and 80 x 15 are 5.25" formats.
DriveKind DriveKindFor(const FloppyGeometry& geometry);

// A present, writable disk formatted at geometry (IDs as FormatSectorIds lays them out), data zero, in the
// drive that takes it. geometry must lie within the limits above.
VirtualFloppy NewVirtualFloppy(const FloppyGeometry& geometry);

// Lays the medium out anew at geometry: every slot unformatted and filled with kFormatFillByte. Physical
// faults stay where they were on the surface: a new slot inherits the faults of every old slot it overlaps.
void ReshapeMedium(VirtualFloppy& floppy, const FloppyGeometry& geometry);

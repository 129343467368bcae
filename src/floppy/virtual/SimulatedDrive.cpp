#include "floppy/virtual/SimulatedDrive.h"

#include <algorithm>
#include <cstring>

#include "base/Win32Codes.h"
#include "floppy/virtual/DriveTiming.h"

const MediaProfile* FindMediaProfile(uint32_t mediaType) {
  static constexpr MediaProfile kProfiles[] = {
      {kMediaF5_360_512, DriveKind::FiveAndQuarter, 40, 9, 0x50, 6250},
      {kMediaF3_720_512, DriveKind::ThreePointFive, 80, 9, 0x50, 6250},
      {kMediaF5_1Pt2_512, DriveKind::FiveAndQuarter, 80, 15, 0x54, 10416},
      {kMediaF3_1Pt44_512, DriveKind::ThreePointFive, 80, 18, 0x6C, 12500},
  };
  for (const MediaProfile& profile : kProfiles) {
    if (profile.mediaType == mediaType) return &profile;
  }
  return nullptr;
}

uint32_t SimulatedDrive::SenseMedium(NtDiskGeometry& reply) {
  if (floppy_.diskAbsent) return static_cast<uint32_t>(kErrorNotReady);
  const FloppyGeometry& medium = floppy_.geometry;
  MoveHead(0);
  Advance(RevolutionNanoseconds(medium));
  bool formatted = false;
  for (int position = 0; position < medium.sectorsPerTrack; ++position) {
    formatted |= (floppy_.slots[static_cast<std::size_t>(position)].faults & kSlotNoAddressMark) == 0;
  }
  if (!formatted) return kErrorUnrecognizedMedia;
  const FloppyFormat* format = FindFloppyFormat(medium);
  reply.cylinders = medium.tracks;
  reply.mediaType = format ? format->ntMediaType : kMediaUnknown;
  reply.tracksPerCylinder = kHeads;
  reply.sectorsPerTrack = static_cast<uint32_t>(medium.sectorsPerTrack);
  reply.bytesPerSector = kSectorBytes;
  return 0;
}

uint32_t SimulatedDrive::ReadSectors(int64_t first, uint32_t count, uint8_t* out) {
  return Transfer(first, count, out, false);
}

uint32_t SimulatedDrive::WriteSectors(int64_t first, uint32_t count, const uint8_t* in) {
  return Transfer(first, count, const_cast<uint8_t*>(in), true);
}

uint32_t SimulatedDrive::Transfer(int64_t first, uint32_t count, uint8_t* buffer, bool write) {
  if (floppy_.diskAbsent) return static_cast<uint32_t>(kErrorNotReady);
  if (write && floppy_.writeProtected) return static_cast<uint32_t>(kErrorWriteProtect);
  const FloppyGeometry& medium = floppy_.geometry;
  if (first < 0 || first + count > medium.TotalSectors()) return static_cast<uint32_t>(kErrorInvalidParameter);
  const int64_t revolution = RevolutionNanoseconds(medium);
  for (uint32_t i = 0; i < count; ++i) {
    int64_t sector = first + i;
    int64_t side = sector / medium.sectorsPerTrack;
    MoveHead(static_cast<int>(side / kHeads));
    int64_t slot = floppy_.SlotOfSector(sector);
    if (slot < 0) {
      // The controller looks for the ID through a whole revolution, then the driver retries.
      Advance((1 + kRetryRevolutions) * revolution);
      return static_cast<uint32_t>(kErrorSectorNotFound);
    }
    int position = static_cast<int>(slot - side * medium.sectorsPerTrack);
    Advance(WaitForSlotNanoseconds(floppy_.clockNanoseconds, revolution, position, medium.sectorsPerTrack));
    Advance(SlotStartNanoseconds(revolution, position + 1, medium.sectorsPerTrack) -
            SlotStartNanoseconds(revolution, position, medium.sectorsPerTrack));
    uint8_t faults = floppy_.slots[static_cast<std::size_t>(slot)].faults;
    auto weak = write ? floppy_.weakSectors.end() : floppy_.weakSectors.find(sector);
    if (weak != floppy_.weakSectors.end() && weak->second > 0) {
      --weak->second;
      faults |= kSlotUnreadable;
    }
    if (faults & (write ? kSlotUnwritable : kSlotUnreadable)) {
      Advance(kRetryRevolutions * revolution);
      return static_cast<uint32_t>(write ? kErrorWriteFault : kErrorCrc);
    }
    uint8_t* at = buffer + int64_t{i} * kSectorBytes;
    if (write) {
      std::memcpy(floppy_.SlotData(slot), at, kSectorBytes);
    } else {
      std::memcpy(at, floppy_.SlotData(slot), kSectorBytes);
    }
  }
  return 0;
}

uint32_t SimulatedDrive::FormatSide(const SideFormat& format) {
  const FloppyGeometry& target = format.medium;
  if (target.tracks <= 0 || target.tracks > kMaxVirtualTracks || target.sectorsPerTrack <= 0 ||
      target.sectorsPerTrack > kMaxVirtualSectorsPerTrack || format.cylinder < 0 || format.cylinder >= target.tracks ||
      format.head < 0 || format.head >= kHeads) {
    return static_cast<uint32_t>(kErrorInvalidParameter);
  }
  if (floppy_.diskAbsent) return static_cast<uint32_t>(kErrorNotReady);
  if (floppy_.writeProtected) return static_cast<uint32_t>(kErrorWriteProtect);
  if (!(floppy_.geometry == target)) ReshapeMedium(floppy_, target);
  const FloppyGeometry& medium = floppy_.geometry;
  const int64_t revolution = RevolutionNanoseconds(medium);
  MoveHead(format.cylinder);
  Advance(WaitForSlotNanoseconds(floppy_.clockNanoseconds, revolution, 0, 1));  // the index hole
  Advance(revolution);
  int64_t first = medium.LinearSector(format.cylinder, format.head, 0);
  int32_t used = 0;
  for (int position = 0; position < medium.sectorsPerTrack; ++position) {
    SectorSlot& slot = floppy_.slots[static_cast<std::size_t>(first + position)];
    used += kSectorRecordBytes + format.gapLength;
    slot.id = position < static_cast<int>(format.ids.size()) ? format.ids[static_cast<std::size_t>(position)] : 0;
    slot.faults = static_cast<uint8_t>(slot.faults & (kSlotUnreadable | kSlotUnwritable));
    if (used > format.trackBytes) slot.faults |= kSlotNoAddressMark;
    std::fill_n(floppy_.SlotData(first + position), kSectorBytes, kFormatFillByte);
  }
  return 0;
}

void SimulatedDrive::MoveHead(int cylinder) {
  Advance(SeekNanoseconds(floppy_.headCylinder, cylinder));
  floppy_.headCylinder = cylinder;
}

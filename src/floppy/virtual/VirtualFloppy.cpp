#include "floppy/virtual/VirtualFloppy.h"

int64_t VirtualFloppy::FindSlot(int track, int head, int id) const {
  if (track < 0 || track >= geometry.tracks || head < 0 || head >= kHeads || id <= 0) return -1;
  int64_t first = geometry.LinearSector(track, head, 0);
  for (int position = 0; position < geometry.sectorsPerTrack; ++position) {
    const SectorSlot& slot = slots[static_cast<std::size_t>(first + position)];
    if (slot.id == id && (slot.faults & kSlotNoAddressMark) == 0) return first + position;
  }
  return -1;
}

int64_t VirtualFloppy::SlotOfSector(int64_t sector) const {
  if (sector < 0 || sector >= SlotCount()) return -1;
  int64_t side = sector / geometry.sectorsPerTrack;
  return FindSlot(static_cast<int>(side / kHeads), static_cast<int>(side % kHeads),
                  static_cast<int>(sector % geometry.sectorsPerTrack) + 1);
}

const uint8_t* VirtualFloppy::ReadableSector(int64_t sector) const {
  int64_t slot = SlotOfSector(sector);
  if (slot < 0 || (slots[static_cast<std::size_t>(slot)].faults & kSlotUnreadable) != 0) return nullptr;
  return SlotData(slot);
}

DriveKind DriveKindFor(const FloppyGeometry& geometry) {
  bool fiveAndQuarter = (geometry.tracks == 40 && geometry.sectorsPerTrack == 9) ||
                        (geometry.tracks == 80 && geometry.sectorsPerTrack == 15);
  return fiveAndQuarter ? DriveKind::FiveAndQuarter : DriveKind::ThreePointFive;
}

VirtualFloppy NewVirtualFloppy(const FloppyGeometry& geometry) {
  VirtualFloppy floppy;
  floppy.drive = DriveKindFor(geometry);
  floppy.geometry = geometry;
  std::vector<uint16_t> ids = FormatSectorIds(geometry);
  floppy.slots.resize(static_cast<std::size_t>(geometry.TotalSectors()));
  for (std::size_t slot = 0; slot < floppy.slots.size(); ++slot) floppy.slots[slot].id = ids[slot % ids.size()];
  floppy.data.assign(floppy.slots.size() * kSectorBytes, 0);
  return floppy;
}

void ReshapeMedium(VirtualFloppy& floppy, const FloppyGeometry& geometry) {
  const FloppyGeometry old = floppy.geometry;
  std::vector<SectorSlot> slots(static_cast<std::size_t>(geometry.TotalSectors()), {0, kSlotNoAddressMark});
  for (int track = 0; track < geometry.tracks && track < old.tracks; ++track) {
    for (int head = 0; head < kHeads; ++head) {
      // Slot p of n covers [p/n, (p+1)/n) of a revolution; compare the arcs in units of 1/(n*m).
      for (int p = 0; p < geometry.sectorsPerTrack; ++p) {
        int64_t from = int64_t{p} * old.sectorsPerTrack, to = from + old.sectorsPerTrack;
        uint8_t faults = 0;
        for (int q = 0; q < old.sectorsPerTrack; ++q) {
          int64_t oldFrom = int64_t{q} * geometry.sectorsPerTrack, oldTo = oldFrom + geometry.sectorsPerTrack;
          if (oldFrom < to && from < oldTo) {
            faults |= floppy.slots[static_cast<std::size_t>(old.LinearSector(track, head, q))].faults;
          }
        }
        slots[static_cast<std::size_t>(geometry.LinearSector(track, head, p))].faults |=
            static_cast<uint8_t>(faults & (kSlotUnreadable | kSlotUnwritable));
      }
    }
  }
  floppy.geometry = geometry;
  floppy.slots = std::move(slots);
  floppy.data.assign(floppy.slots.size() * kSectorBytes, kFormatFillByte);
  if (floppy.headCylinder >= geometry.tracks) floppy.headCylinder = geometry.tracks - 1;
}

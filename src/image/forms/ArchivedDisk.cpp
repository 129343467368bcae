#include "image/forms/ArchivedDisk.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "base/BadSectorMarker.h"

namespace {

constexpr uint8_t kPcSizeCode = 2;  // 512 bytes

bool HasSectors(const ArchivedTrack& track) { return !track.sectors.empty(); }

LayoutProblem Problem(LayoutProblem::Kind kind, const ArchivedTrack& track) {
  LayoutProblem problem;
  problem.kind = kind;
  problem.cylinder = track.cylinder;
  problem.head = track.head;
  return problem;
}

// A track of the PC's kind: 512-byte sectors in MFM.
std::optional<LayoutProblem> CheckEncoding(const ArchivedTrack& track) {
  auto other = std::find_if(track.sectors.begin(), track.sectors.end(),
                            [](const ArchivedSector& sector) { return sector.sizeCode != kPcSizeCode; });
  if (!track.fm && other == track.sectors.end()) return std::nullopt;
  LayoutProblem problem = Problem(LayoutProblem::Kind::Track, track);
  problem.sectors = static_cast<int>(track.sectors.size());
  problem.sectorBytes = 128 << (other == track.sectors.end() ? kPcSizeCode : other->sizeCode);
  problem.fm = track.fm;
  return problem;
}

// A 40-track disk in an 80-track drive: every track with sectors on an even cylinder, its IDs naming half of it.
bool DoubleStepped(const std::vector<ArchivedTrack>& tracks) {
  bool beyondFirst = false;
  for (const ArchivedTrack& track : tracks) {
    if (!HasSectors(track)) continue;
    if (track.cylinder % 2 != 0) return false;
    for (const ArchivedSector& sector : track.sectors) {
      if (sector.cylinder != track.cylinder / 2) return false;
    }
    beyondFirst = beyondFirst || track.cylinder >= 2;
  }
  return beyondFirst;
}

// The sector that stands for number on its track: good data before damaged before none.
int Rank(ArchivedSector::Data data) {
  switch (data) {
    case ArchivedSector::Data::Good: return 2;
    case ArchivedSector::Data::Damaged: return 1;
    case ArchivedSector::Data::None: break;
  }
  return 0;
}

bool SameData(const ArchivedDisk& disk, const ArchivedSector& a, const ArchivedSector& b) {
  return std::memcmp(disk.bytes.data() + a.at, disk.bytes.data() + b.at, kSectorBytes) == 0;
}

}  // namespace

std::variant<ArrangedFloppy, LayoutProblem> ArrangePcFloppy(const ArchivedDisk& disk) {
  using Kind = LayoutProblem::Kind;
  // Where each track was read, seen once.
  std::array<std::array<bool, kHeads>, 256> seen{};
  for (const ArchivedTrack& track : disk.tracks) {
    if (track.head >= kHeads) {
      if (HasSectors(track)) return Problem(Kind::Head, track);
      continue;
    }
    if (seen[track.cylinder][track.head]) return Problem(Kind::TrackTwice, track);
    seen[track.cylinder][track.head] = true;
    if (!HasSectors(track)) continue;
    if (std::optional<LayoutProblem> problem = CheckEncoding(track)) return *problem;
  }

  const bool doubleStepped = DoubleStepped(disk.tracks);
  auto logical = [doubleStepped](const ArchivedTrack& track) { return doubleStepped ? track.cylinder / 2 : track.cylinder; };
  int dataCylinders = 0, recordedCylinders = 0, heads = 0, sectorsPerTrack = 0;
  for (const ArchivedTrack& track : disk.tracks) {
    if (track.head >= kHeads || (doubleStepped && track.cylinder % 2 != 0)) continue;
    recordedCylinders = std::max(recordedCylinders, logical(track) + 1);
    if (!HasSectors(track)) continue;
    dataCylinders = std::max(dataCylinders, logical(track) + 1);
    heads = std::max(heads, track.head + 1);
    for (const ArchivedSector& sector : track.sectors) {
      if (sector.cylinder != logical(track) || sector.head != track.head) {
        LayoutProblem problem = Problem(Kind::SectorId, track);
        problem.number = sector.number;
        problem.idCylinder = sector.cylinder;
        problem.idHead = sector.head;
        return problem;
      }
      sectorsPerTrack = std::max<int>(sectorsPerTrack, sector.number);
    }
  }
  if (dataCylinders == 0) return LayoutProblem{};

  // Empty tracks past the data count only where they complete a format (a disk unreadable towards its end);
  // a drive that stepped past a shorter disk's last track recorded nothing of it.
  FloppyGeometry geometry{recordedCylinders, sectorsPerTrack};
  auto isFormat = [](const FloppyGeometry& candidate) {
    const FloppyFormat* format = FindFloppyFormat(candidate);
    return format && format->tracks == candidate.tracks && format->sectorsPerTrack == candidate.sectorsPerTrack;
  };
  if (!isFormat(geometry)) geometry.tracks = dataCylinders;
  if (heads != kHeads || !isFormat(geometry)) {
    LayoutProblem problem;
    problem.kind = Kind::Geometry;
    problem.cylinders = dataCylinders;
    problem.heads = heads;
    problem.sectorsPerTrack = sectorsPerTrack;
    return problem;
  }

  ArrangedFloppy floppy;
  floppy.geometry = geometry;
  floppy.doubleStepped = doubleStepped;
  const std::size_t sectors = static_cast<std::size_t>(geometry.TotalSectors());
  floppy.bytes.assign(sectors * kSectorBytes, 0);
  floppy.bad.assign(sectors, true);
  std::vector<const ArchivedSector*> chosen(sectors, nullptr);
  for (const ArchivedTrack& track : disk.tracks) {
    if (!HasSectors(track)) continue;
    for (const ArchivedSector& sector : track.sectors) {
      if (sector.number < 1) {
        LayoutProblem problem = Problem(Kind::SectorNumber, track);
        problem.number = sector.number;
        problem.sectorsPerTrack = sectorsPerTrack;
        return problem;
      }
      const auto index = static_cast<std::size_t>(geometry.LinearSector(logical(track), track.head, sector.number - 1));
      const ArchivedSector*& place = chosen[index];
      if (place && place->data == ArchivedSector::Data::Good && sector.data == ArchivedSector::Data::Good &&
          !SameData(disk, *place, sector)) {
        LayoutProblem problem = Problem(Kind::SectorNumber, track);
        problem.number = sector.number;
        problem.sectorsPerTrack = sectorsPerTrack;
        return problem;
      }
      if (!place || Rank(sector.data) > Rank(place->data)) place = &sector;
    }
  }
  for (std::size_t index = 0; index < sectors; ++index) {
    uint8_t* block = floppy.bytes.data() + index * kSectorBytes;
    if (chosen[index] && chosen[index]->data == ArchivedSector::Data::Good) {
      std::memcpy(block, disk.bytes.data() + chosen[index]->at, kSectorBytes);
      floppy.bad[index] = false;
    } else {
      FillBadSectorMarker(block);
    }
  }
  return floppy;
}

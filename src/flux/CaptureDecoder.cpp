#include "flux/CaptureDecoder.h"

#include <map>

#include "base/BadSectorMarker.h"
#include "flux/SectorVote.h"
#include "flux/TrackReading.h"

namespace {

void AddKnownIds(const TrackReading& reading, std::vector<SectorId>& ids) {
  for (const SectorCopy& copy : reading.copies) ids.push_back(copy.id);
}

// Whether the IDs say that the drive stood on every other cylinder of the disk (cylinder 2 holds cylinder 1).
class StepCount {
 public:
  void Add(const TrackPlace& place, const std::vector<SectorCopy>& copies) {
    if (place.cylinder < 2) return;
    for (const SectorCopy& copy : copies) {
      if (copy.id.cylinder == place.cylinder) ++single_;
      if (copy.id.cylinder * 2 == place.cylinder) ++doubled_;
    }
  }
  bool Doubled() const { return doubled_ > single_; }

 private:
  long single_ = 0, doubled_ = 0;
};

TrackOutcome OutcomeOf(const TrackPlace& place, const TrackReading& reading) {
  TrackOutcome outcome{place, reading.fault, reading.revolutions, 0, 0};
  std::map<SectorId, bool> seen;
  for (const SectorCopy& copy : reading.copies) seen[copy.id] = seen[copy.id] || copy.dataGood;
  for (const auto& [id, whole] : seen) {
    ++outcome.sectorsFound;
    outcome.sectorsWhole += whole ? 1 : 0;
  }
  return outcome;
}

}  // namespace

DiskLayout SurveyCapture(Capture& capture) {
  const std::vector<TrackPlace>& places = capture.Places();
  const std::size_t count = places.size();
  std::vector<SectorId> ids;
  std::vector<bool> read(count, false);
  auto readAt = [&](std::size_t i) {
    if (i >= count || read[i]) return false;
    read[i] = true;
    const std::size_t before = ids.size();
    AddKnownIds(ReadTrack(capture, places[i]), ids);
    return ids.size() > before;
  };
  // The first tracks give the sectors per track; the last readable one how many cylinders there are.
  for (std::size_t i = 0; i < std::min<std::size_t>(count, 2); ++i) readAt(i);
  for (std::size_t i = count; i-- > 0;) {
    if (readAt(i)) break;
  }
  DiskLayout layout = RecogniseLayout(ids);
  for (std::size_t i = 0; i < count && layout.fault != LayoutFault::None; ++i) {
    if (readAt(i)) layout = RecogniseLayout(ids);
  }
  return layout;
}

DecodedDisk DecodeCapture(Capture& capture, const FloppyGeometry& geometry, DecodeWatcher* watcher) {
  DecodedDisk disk;
  disk.geometry = geometry;
  std::map<SectorId, SectorCopies> sectors;
  StepCount steps;
  const std::vector<TrackPlace>& places = capture.Places();
  for (const TrackPlace& place : places) {
    if (watcher && watcher->Cancelled()) {
      disk.cancelled = true;
      return disk;
    }
    TrackReading reading = ReadTrack(capture, place);
    steps.Add(place, reading.copies);
    disk.tracks.push_back(OutcomeOf(place, reading));
    for (SectorCopy& copy : reading.copies) {
      const SectorId& id = copy.id;
      if (!copy.HasData() || id.sizeCode != kSizeCode512 || id.cylinder >= geometry.tracks || id.head >= kHeads ||
          id.sector == 0 || id.sector > geometry.sectorsPerTrack) {
        continue;
      }
      sectors[id].Add(copy.mark, std::move(copy.field), copy.dataGood, copy.following);
    }
    if (watcher) watcher->TrackDecoded(disk.tracks.back(), disk.tracks.size(), places.size());
  }
  disk.doubleStepped = steps.Doubled();
  disk.bytes.assign(static_cast<std::size_t>(geometry.TotalBytes()), 0);
  disk.bad.assign(static_cast<std::size_t>(geometry.TotalSectors()), true);
  for (int cylinder = 0; cylinder < geometry.tracks; ++cylinder) {
    for (int head = 0; head < kHeads; ++head) {
      for (int sector = 1; sector <= geometry.sectorsPerTrack; ++sector) {
        const int64_t linear = geometry.LinearSector(cylinder, head, sector - 1);
        uint8_t* block = disk.bytes.data() + linear * kSectorBytes;
        const SectorId id{static_cast<uint8_t>(cylinder), static_cast<uint8_t>(head), static_cast<uint8_t>(sector),
                          kSizeCode512};
        auto found = sectors.find(id);
        SectorVerdict verdict = found == sectors.end() ? SectorVerdict{} : found->second.Decide();
        if (verdict.state == SectorVerdict::State::Bad) {
          FillBadSectorMarker(block);
          continue;
        }
        std::copy(verdict.data.begin(), verdict.data.end(), block);
        disk.bad[static_cast<std::size_t>(linear)] = false;
        if (verdict.state == SectorVerdict::State::Voted) disk.voted.push_back(linear);
        if (verdict.conflict) disk.conflicts.push_back(linear);
      }
    }
  }
  return disk;
}

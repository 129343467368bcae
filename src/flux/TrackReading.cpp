#include "flux/TrackReading.h"

#include <cmath>

#include "flux/CellClock.h"
#include "flux/DataSeparator.h"
#include "flux/MfmSectors.h"

namespace {

// Sectors follow each other at least 4 % of a revolution apart (21 to a track); the same sector in another
// revolution stands within a few tenths of a percent, whatever the spindle did.
constexpr double kSamePlace = 0.01;

double Distance(double a, double b) {
  const double d = std::fabs(a - b);
  return std::min(d, 1 - d);
}

// A damaged ID field takes the ID read at its place in another revolution.
void IdentifyByPlace(std::vector<SectorCopy>& copies) {
  std::vector<std::pair<double, SectorId>> known;
  for (const SectorCopy& copy : copies) {
    if (copy.idGood) known.emplace_back(copy.place, copy.id);
  }
  for (SectorCopy& copy : copies) {
    if (copy.idGood || !copy.HasData()) continue;
    for (const auto& [place, id] : known) {
      if (Distance(copy.place, place) < kSamePlace) {
        copy.id = id;
        copy.idGood = true;
        break;
      }
    }
  }
  std::erase_if(copies, [](const SectorCopy& copy) { return !copy.idGood; });
}

}  // namespace

TrackReading ReadTrack(Capture& capture, const TrackPlace& place) {
  TrackReading reading;
  TrackFlux flux;
  reading.fault = capture.Load(place, flux);
  if (reading.fault != TrackFault::None) return reading;
  reading.revolutions = flux.Revolutions();
  std::optional<double> cell = MeasureCellNs(flux.intervals);
  if (!cell) return reading;
  reading.copies = FindSectors(SeparateCells(flux, *cell));
  IdentifyByPlace(reading.copies);
  return reading;
}

#pragma once
// A whole capture decoded into a disk image: every track, every revolution, every sector's copies judged
// together (flux/SectorVote.h), and what each track gave.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/Geometry.h"
#include "flux/Capture.h"
#include "flux/DiskLayout.h"

struct TrackOutcome {
  TrackPlace place;
  TrackFault fault = TrackFault::None;
  int revolutions = 0;   // read whole, from index to index
  int sectorsFound = 0;  // different sectors whose ID was read
  int sectorsWhole = 0;  // of them, those with a copy whose data CRC held
};

// Told of each track as it is done, asked between tracks whether to go on. Runs on the decoding thread.
class DecodeWatcher {
 public:
  virtual ~DecodeWatcher() = default;
  virtual void TrackDecoded(const TrackOutcome& outcome, std::size_t done, std::size_t total) = 0;
  virtual bool Cancelled() const { return false; }
};

struct DecodedDisk {
  FloppyGeometry geometry;
  std::vector<uint8_t> bytes;      // the raw image, the marker block for every bad sector
  std::vector<bool> bad;           // per sector in disk order
  std::vector<int64_t> voted;      // sectors whose data only the vote gave (linear sector numbers)
  std::vector<int64_t> conflicts;  // sectors with good copies that differ
  std::vector<TrackOutcome> tracks;
  bool doubleStepped = false;      // a 40-track disk read in an 80-track drive: data on every other cylinder
  bool cancelled = false;
};

// The layout from a few tracks (the first ones, the last ones: more only where those give no sector), so that
// opening a capture does not cost a decoding.
DiskLayout SurveyCapture(Capture& capture);

// geometry: the survey's. Sectors whose IDs lie outside it are left out.
DecodedDisk DecodeCapture(Capture& capture, const FloppyGeometry& geometry, DecodeWatcher* watcher = nullptr);

#pragma once
// The decoder behind a capture reader, on whatever the reader accepted: every track loaded, the survey, and
// the decoding at the geometry it gives. No track may give more flux than the readers allow, a track refused
// gives none, and the image has the geometry's size with a verdict for every sector.

#include "flux/CaptureDecoder.h"

inline void DecodeThrough(Capture& capture) {
  for (const TrackPlace& place : capture.Places()) {
    TrackFlux flux;
    const TrackFault fault = capture.Load(place, flux);
    if (flux.intervals.size() > kMostTrackIntervals || (fault != TrackFault::None && !flux.intervals.empty())) {
      __builtin_trap();
    }
  }
  const DiskLayout layout = SurveyCapture(capture);
  if (layout.fault != LayoutFault::None) return;
  const DecodedDisk disk = DecodeCapture(capture, layout.geometry);
  const auto sectors = static_cast<std::size_t>(layout.geometry.TotalSectors());
  if (disk.bytes.size() != sectors * kSectorBytes || disk.bad.size() != sectors) __builtin_trap();
  for (int64_t sector : disk.voted) {
    if (sector < 0 || static_cast<std::size_t>(sector) >= sectors || disk.bad[static_cast<std::size_t>(sector)]) {
      __builtin_trap();
    }
  }
}

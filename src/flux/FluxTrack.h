#pragma once
// The flux model: what a flux reader saw on one track of a disk, as the time between successive flux
// reversals, and where the index pulses fell among them.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <vector>

// A track as the drive that made the capture stood on it. A 40-track disk read in an 80-track drive has its
// data on every other cylinder here; the sectors' own IDs say where they belong.
struct TrackPlace {
  int cylinder = 0;
  int head = 0;
  auto operator<=>(const TrackPlace&) const = default;
};

// The flux of one track, read without a break over several revolutions. A capture may begin before the first
// index pulse and end after the last: a sector that straddles the index is whole only across it.
struct TrackFlux {
  std::vector<uint32_t> intervals;  // nanoseconds from one flux reversal to the next, in the order read
  std::vector<std::size_t> indexes;  // where index pulses fell: the position in intervals of the one that followed

  // The revolutions read whole, from one index pulse to the next.
  int Revolutions() const { return indexes.size() > 1 ? static_cast<int>(indexes.size() - 1) : 0; }
  void Clear() {
    intervals.clear();
    indexes.clear();
  }
};

// What a capture may hold of one track before it is refused as a lie: far more than any floppy track gives
// (a high-density revolution has some 100,000 reversals), so that a header cannot make a reader take
// gigabytes.
inline constexpr std::size_t kMostTrackIntervals = 2'000'000;

#include "flux/CellClock.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr double kBinNs = 50;
constexpr std::size_t kBins = 400;          // up to 20 us: four cells of the slowest disk with room
constexpr std::size_t kSampled = 50'000;    // more than a revolution of a double-density track says it
constexpr double kShortestCellNs = 300, kLongestCellNs = 6000;
constexpr double kTolerance = 0.25;         // of a cell: jitter stays well inside

struct Fit {
  double time = 0, cells = 0;
  std::size_t intervals = 0;
};

// The intervals that are plainly two, three or four cells of the given length.
Fit FitCells(const std::vector<uint32_t>& intervals, std::size_t sampled, double cell) {
  Fit fit;
  const double perNs = 1 / cell;
  for (std::size_t i = 0; i < sampled; ++i) {
    const double count = intervals[i] * perNs;
    const auto whole = static_cast<double>(static_cast<int>(count + 0.5));
    if (whole < 2 || whole > 4 || std::fabs(count - whole) > kTolerance) continue;
    fit.time += intervals[i];
    fit.cells += whole;
    ++fit.intervals;
  }
  return fit;
}

}  // namespace

std::optional<double> MeasureCellNs(const std::vector<uint32_t>& intervals) {
  std::array<uint32_t, kBins> bins{};
  const std::size_t sampled = std::min(intervals.size(), kSampled);
  for (std::size_t i = 0; i < sampled; ++i) {
    const auto bin = static_cast<std::size_t>(intervals[i] / kBinNs);
    if (bin < kBins) ++bins[bin];
  }
  // The most common interval is two, three or four cells long: the length that makes most intervals whole
  // numbers of cells says which.
  std::size_t peak = 0;
  uint32_t highest = 0;
  for (std::size_t i = 2; i + 2 < kBins; ++i) {
    const uint32_t around = bins[i - 2] + bins[i - 1] + bins[i] + bins[i + 1] + bins[i + 2];
    if (around > highest) {
      highest = around;
      peak = i;
    }
  }
  const double peakNs = (static_cast<double>(peak) + 0.5) * kBinNs;
  Fit best;
  double cell = 0;
  for (double cells : {2.0, 3.0, 4.0}) {
    const double candidate = peakNs / cells;
    if (candidate < kShortestCellNs || candidate > kLongestCellNs) continue;
    Fit fit = FitCells(intervals, sampled, candidate);
    if (fit.intervals > best.intervals) {
      best = fit;
      cell = candidate;
    }
  }
  // Noise, or an erased track, has no such pattern.
  if (best.intervals * 2 < sampled || best.cells == 0) return std::nullopt;
  for (int round = 0; round < 2; ++round) {
    cell = best.time / best.cells;
    best = FitCells(intervals, sampled, cell);
    if (best.cells == 0) return std::nullopt;
  }
  return cell;
}

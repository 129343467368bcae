#include "flux/DataSeparator.h"

#include <algorithm>
#include <cmath>

namespace {

// Locked, the cell centre moves by this share of each reversal's distance from it, and the cell length by
// a smaller one: single reversals jitter by a tenth of a cell, while the spindle changes its speed slowly.
constexpr double kPhaseGain = 0.08;
constexpr double kPeriodGain = 0.003;
// The loop holds within this share of the measured cell length, whatever noise it is fed.
constexpr double kPeriodRange = 0.12;
// A reversal this far from a cell centre (in cells), or closer than two cells to the one before, does not
// belong to clean MFM data. Where two of the last sixteen do, the spot is damaged: the loop coasts on the
// cell length of the last clean stretch (measured end to end, where jitter cancels out), counting cells by
// time alone, so that the data behind the spot stays in step with the other revolutions' copies. It takes
// hold again after sixteen clean reversals, or, where the data comes back beside the coasting centres, once
// the last reversals agree on where the centres lie.
constexpr double kStray = 0.35;
constexpr int kStraysToCoast = 2;
constexpr unsigned kRecentBits = 15;
constexpr unsigned kRecent = (1u << (kRecentBits + 1)) - 1;
constexpr double kLongestMfm = 4;
constexpr double kStretchWeight = 1.0 / 2048;
constexpr std::size_t kLongestCoast = 4096;
constexpr std::size_t kAgreeing = 32;
constexpr double kAgreement = 0.65;
// A silence (a spot without coating) keeps its length in cells for the same reason; one longer than a
// sector is no data, and is kept short. A track that would have more cells than any floppy track's
// revolutions is not followed further.
constexpr std::size_t kLongestSilence = 8192;
constexpr std::size_t kMostCells = 32u << 20;
constexpr double kTurn = 6.283185307179586;

// The sum of the last n values added (n a power of two).
class RunningSum {
 public:
  explicit RunningSum(std::size_t n) : values_(n, 0.0) {}
  void Add(double value) {
    sum_ += value - values_[next_];
    values_[next_] = value;
    next_ = (next_ + 1) & (values_.size() - 1);
  }
  double Sum() const { return sum_; }
  void Clear() {
    std::fill(values_.begin(), values_.end(), 0.0);
    sum_ = 0;
  }

 private:
  std::vector<double> values_;
  double sum_ = 0;
  std::size_t next_ = 0;
};

class PhaseLoop {
 public:
  explicit PhaseLoop(double cellNs)
      : period_(cellNs),
        shortest_(cellNs * (1 - kPeriodRange)),
        longest_(cellNs * (1 + kPeriodRange)),
        stretchTime_(cellNs),
        stretchCells_(1) {}

  // The reversal after interval ns into cells.
  void Reversal(double ns, CellStream& cells) {
    const double time = phase_ + ns;
    // Truncating rounds as floor does wherever the count matters (at 1 and above).
    const auto count = static_cast<double>(static_cast<int64_t>(time / period_ + 0.5));
    if (count < 1) {
      phase_ = time;  // a second reversal in the same cell is noise
      Stray(true);
      return;
    }
    if (count > kLongestMfm) {
      Stray(true);
      Coast();
      Silence(time, cells);
      return;
    }
    const double error = time - count * period_;
    Stray(count < 2 || std::fabs(error) > kStray * period_);
    if (coasting_) {
      phase_ = error;
      Agree(error);
      // Damage is never longer than a sector: a loop that coasts longer has lost the data's cell length.
      if (++coasted_ > kLongestCoast) coasting_ = false;
    } else {
      period_ = std::clamp(period_ + kPeriodGain * error / count, shortest_, longest_);
      stretchTime_ += (ns - stretchTime_) * kStretchWeight;
      stretchCells_ += (count - stretchCells_) * kStretchWeight;
      phase_ = error * (1 - kPhaseGain);
    }
    cells.PushReversal(static_cast<std::size_t>(count) - 1);
  }

 private:
  void Stray(bool stray) {
    recentStrays_ += (stray ? 1 : 0) - static_cast<int>(strays_ >> kRecentBits & 1);
    strays_ = (strays_ << 1 | (stray ? 1u : 0u)) & kRecent;
    if (recentStrays_ >= kStraysToCoast) Coast();
    if (recentStrays_ == 0) coasting_ = false;
  }

  void Coast() {
    if (coasting_) return;
    coasting_ = true;
    coasted_ = 0;
    if (stretchCells_ > 0) period_ = std::clamp(stretchTime_ / stretchCells_, shortest_, longest_);
    sine_.Clear();
    cosine_.Clear();
  }

  void Silence(double time, CellStream& cells) {
    const double count = std::floor(time / period_ + 0.5);
    if (count > static_cast<double>(kLongestSilence)) {
      cells.PushReversal(kLongestSilence - 1);
      phase_ = 0;
      return;
    }
    phase_ = time - count * period_;
    cells.PushReversal(static_cast<std::size_t>(count) - 1);
  }

  // Reversals of data lie at one distance from the coasting centres, give or take their jitter; those of
  // noise anywhere. Where they agree, the centres move onto the data.
  void Agree(double error) {
    const double angle = kTurn * error / period_;
    sine_.Add(std::sin(angle));
    cosine_.Add(std::cos(angle));
    const double s = sine_.Sum(), c = cosine_.Sum();
    if (std::sqrt(s * s + c * c) < kAgreement * kAgreeing) return;
    phase_ -= std::atan2(s, c) / kTurn * period_;
    coasting_ = false;
    strays_ = 0;
    recentStrays_ = 0;
  }

  double period_, shortest_, longest_;
  double phase_ = 0;  // from the centre of the last cell with a reversal to where the next interval begins
  unsigned strays_ = 0;  // one bit per recent reversal: set where it strayed
  int recentStrays_ = 0;  // the bits set in strays_
  bool coasting_ = false;
  std::size_t coasted_ = 0;  // reversals since coasting began
  // Moving averages of the intervals and their cells over the last clean stretch.
  double stretchTime_ = 0, stretchCells_ = 0;
  RunningSum sine_{kAgreeing}, cosine_{kAgreeing};
};

}  // namespace

SeparatedTrack SeparateCells(const TrackFlux& flux, double cellNs) {
  SeparatedTrack track;
  track.cells.Reserve(static_cast<std::size_t>(static_cast<double>(flux.intervals.size()) * 2.6));
  PhaseLoop loop(cellNs);
  std::size_t nextIndex = 0;
  for (std::size_t i = 0; i < flux.intervals.size() && track.cells.Size() < kMostCells; ++i) {
    while (nextIndex < flux.indexes.size() && flux.indexes[nextIndex] <= i) {
      track.indexCells.push_back(track.cells.Size());
      ++nextIndex;
    }
    loop.Reversal(flux.intervals[i], track.cells);
  }
  while (nextIndex++ < flux.indexes.size()) track.indexCells.push_back(track.cells.Size());
  return track;
}

#include "flux/AlignedVote.h"

#include <algorithm>

namespace {

constexpr long kWidestSlip = 4;     // bits a copy may have slipped at one damaged spot
constexpr std::size_t kStep = 64;   // bits voted between two alignments
constexpr std::size_t kWindow = 256;  // bits compared to align

class Copy {
 public:
  explicit Copy(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  // The bit at position p of the field as this copy, moved by its offset and delta, has it; -1 outside it.
  int Bit(std::size_t p, long delta = 0) const {
    const long at = static_cast<long>(p) + offset_ + delta;
    if (at < 0 || static_cast<std::size_t>(at) >= bytes_.size() * 8) return -1;
    return bytes_[static_cast<std::size_t>(at) / 8] >> (7 - at % 8) & 1;
  }
  void Move(long delta) { offset_ += delta; }

 private:
  const std::vector<uint8_t>& bytes_;
  long offset_ = 0;
};

// The bit most copies have at p, leaving one out: -1 where they are even.
int Majority(const std::vector<Copy>& copies, std::size_t p, std::size_t leftOut) {
  int balance = 0;
  for (std::size_t i = 0; i < copies.size(); ++i) {
    const int bit = i == leftOut ? -1 : copies[i].Bit(p);
    if (bit >= 0) balance += bit ? 1 : -1;
  }
  return balance > 0 ? 1 : balance < 0 ? 0 : -1;
}

void Align(std::vector<Copy>& copies, std::size_t from, std::size_t to) {
  for (std::size_t i = 0; i < copies.size(); ++i) {
    std::vector<int> others(to - from);
    std::size_t decisive = 0;
    for (std::size_t p = from; p < to; ++p) {
      others[p - from] = Majority(copies, p, i);
      decisive += others[p - from] >= 0 ? 1 : 0;
    }
    auto agreement = [&](long delta) {
      std::size_t same = 0;
      for (std::size_t p = from; p < to; ++p) same += others[p - from] >= 0 && copies[i].Bit(p, delta) == others[p - from];
      return same;
    };
    const std::size_t here = agreement(0);
    std::size_t best = here;
    long bestDelta = 0;
    for (long delta = -kWidestSlip; delta <= kWidestSlip; ++delta) {
      const std::size_t there = delta == 0 ? 0 : agreement(delta);
      if (there > best) {
        best = there;
        bestDelta = delta;
      }
    }
    // Only a clearly better place moves a copy: where the others disagree among themselves too, none moves.
    if (bestDelta != 0 && best * 10 >= decisive * 9 && (best - here) * 8 >= decisive) copies[i].Move(bestDelta);
  }
}

}  // namespace

std::vector<uint8_t> VoteAligned(const std::vector<const std::vector<uint8_t>*>& fields, std::size_t bytes) {
  std::vector<Copy> copies;
  for (const std::vector<uint8_t>* field : fields) copies.emplace_back(*field);
  const std::size_t bits = bytes * 8;
  std::vector<uint8_t> voted(bytes, 0);
  for (std::size_t from = 0; from < bits; from += kStep) {
    Align(copies, from, std::min(from + kWindow, bits));
    for (std::size_t p = from; p < std::min(from + kStep, bits); ++p) {
      const int bit = Majority(copies, p, copies.size());
      if (bit > 0) voted[p / 8] = static_cast<uint8_t>(voted[p / 8] | 0x80 >> (p % 8));
    }
  }
  return voted;
}

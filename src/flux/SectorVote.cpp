#include "flux/SectorVote.h"

#include <algorithm>

#include "flux/Crc16.h"

namespace {

// A vote needs a majority: with fewer copies a bit on which two disagree stays unknown.
constexpr std::size_t kFewestVoters = 3;
constexpr uint8_t kDataMark = 0xFB, kDeletedMark = 0xF8;

}  // namespace

void SectorCopies::Add(uint8_t mark, std::vector<uint8_t> field, bool good) {
  if (good) {
    damaged_.clear();
    for (Version& version : good_) {
      if (version.field == field) {
        ++version.seen;
        return;
      }
    }
    good_.push_back({std::move(field), 1});
  } else if (good_.empty()) {
    damaged_.push_back({mark, std::move(field)});
  }
}

SectorVerdict SectorCopies::Decide() const {
  SectorVerdict verdict;
  if (!good_.empty()) {
    auto most = std::max_element(good_.begin(), good_.end(),
                                 [](const Version& a, const Version& b) { return a.seen < b.seen; });
    verdict.state = SectorVerdict::State::Good;
    verdict.data.assign(most->field.begin(), most->field.end() - 2);
    verdict.conflict = good_.size() > 1;
    return verdict;
  }
  if (damaged_.size() < kFewestVoters) return verdict;
  const std::size_t bytes = damaged_.front().field.size();
  std::size_t deleted = 0;
  for (const Damaged& copy : damaged_) {
    if (copy.field.size() != bytes) return verdict;
    deleted += copy.mark == kDeletedMark ? 1 : 0;
  }
  const uint8_t mark = deleted * 2 > damaged_.size() ? kDeletedMark : kDataMark;
  std::vector<uint8_t> voted(bytes, 0);
  std::vector<int> ones(8);
  for (std::size_t i = 0; i < bytes; ++i) {
    std::fill(ones.begin(), ones.end(), 0);
    for (const Damaged& copy : damaged_) {
      for (int bit = 0; bit < 8; ++bit) ones[static_cast<std::size_t>(bit)] += copy.field[i] >> bit & 1;
    }
    for (int bit = 0; bit < 8; ++bit) {
      if (static_cast<std::size_t>(ones[static_cast<std::size_t>(bit)]) * 2 > damaged_.size()) {
        voted[i] = static_cast<uint8_t>(voted[i] | 1 << bit);
      }
    }
  }
  if (FieldCrc(mark, voted) != 0) return verdict;
  verdict.state = SectorVerdict::State::Voted;
  voted.resize(bytes - 2);
  verdict.data = std::move(voted);
  return verdict;
}

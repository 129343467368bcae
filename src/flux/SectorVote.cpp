#include "flux/SectorVote.h"

#include <algorithm>

#include "flux/AlignedVote.h"
#include "flux/Crc16.h"
#include "flux/SectorCopy.h"

namespace {

// A vote needs a majority: with fewer copies a bit on which two disagree stays unknown.
constexpr std::size_t kFewestVoters = 3;
// A real capture holds a handful of copies of a sector; a hostile one may repeat a sector thousands of times.
// Beyond these, copies add nothing but time.
constexpr std::size_t kMostVoters = 31;
constexpr std::size_t kMostVersions = 8;

}  // namespace

void SectorCopies::Add(uint8_t mark, std::vector<uint8_t> field, bool good, const std::vector<uint8_t>& following) {
  if (good) {
    damaged_.clear();
    for (Version& version : good_) {
      if (version.field == field) {
        ++version.seen;
        return;
      }
    }
    if (good_.size() < kMostVersions) {
      good_.push_back({std::move(field), 1});
    } else {
      moreVersions_ = true;
    }
  } else if (good_.empty() && damaged_.size() < kMostVoters) {
    const std::size_t fieldBytes = field.size();
    field.insert(field.end(), following.begin(), following.end());
    damaged_.push_back({mark, fieldBytes, std::move(field)});
  }
}

SectorVerdict SectorCopies::Decide() const {
  SectorVerdict verdict;
  if (!good_.empty()) {
    auto most = std::max_element(good_.begin(), good_.end(),
                                 [](const Version& a, const Version& b) { return a.seen < b.seen; });
    verdict.state = SectorVerdict::State::Good;
    verdict.data.assign(most->field.begin(), most->field.end() - 2);
    verdict.conflict = good_.size() > 1 || moreVersions_;
    return verdict;
  }
  if (damaged_.size() < kFewestVoters) return verdict;
  const std::size_t bytes = damaged_.front().fieldBytes;
  std::size_t deleted = 0;
  for (const Damaged& copy : damaged_) {
    if (copy.fieldBytes != bytes) return verdict;
    deleted += copy.mark == kDeletedMark ? 1 : 0;
  }
  const uint8_t mark = deleted * 2 > damaged_.size() ? kDeletedMark : kDataMark;
  std::vector<const std::vector<uint8_t>*> fields;
  for (const Damaged& copy : damaged_) fields.push_back(&copy.read);
  std::vector<uint8_t> voted = VoteAligned(fields, bytes);
  if (FieldCrc(mark, voted) != 0) return verdict;
  verdict.state = SectorVerdict::State::Voted;
  voted.resize(bytes - 2);
  verdict.data = std::move(voted);
  return verdict;
}

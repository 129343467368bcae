#include "app/CaptureAccount.h"

#include "base/Format.h"
#include "base/Texts.h"
#include "image/forms/CaptureImage.h"

namespace {

// "12, 130, 131": sectors numbered from 1, as the report's rows number them.
std::string SectorList(const std::vector<int64_t>& sectors) {
  std::string list;
  for (int64_t sector : sectors) list += (list.empty() ? "" : ", ") + std::to_string(sector + 1);
  return list;
}

}  // namespace

std::string TrackLine(const TrackOutcome& outcome) {
  if (outcome.fault != TrackFault::None) {
    return FormatText(kTextCaptureTrackFault, {outcome.place.cylinder, outcome.place.head, TrackFaultText(outcome.fault)});
  }
  return FormatText(kTextCaptureTrackLine, {outcome.place.cylinder, outcome.place.head, outcome.revolutions,
                                            outcome.sectorsFound, outcome.sectorsWhole});
}

std::vector<std::string> CaptureAccount(const DecodedDisk& disk) {
  std::vector<std::string> lines{kTextCaptureTracksHeading};
  for (const TrackOutcome& outcome : disk.tracks) lines.push_back("  " + TrackLine(outcome));
  if (disk.doubleStepped) lines.emplace_back(kTextCaptureDoubleStep);
  if (!disk.voted.empty()) lines.push_back(FormatText(kTextCaptureVoted, {SectorList(disk.voted)}));
  if (!disk.conflicts.empty()) lines.push_back(FormatText(kTextCaptureConflicts, {SectorList(disk.conflicts)}));
  return lines;
}

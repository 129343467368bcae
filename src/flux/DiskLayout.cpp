#include "flux/DiskLayout.h"

#include <algorithm>
#include <map>
#include <utility>

DiskLayout RecogniseLayout(const std::vector<SectorId>& ids) {
  DiskLayout layout;
  // The highest sector number of each track side; the one most sides share is the format's (a side whose
  // last sector is lost in every revolution shows one less).
  std::map<std::pair<int, int>, int> highest;
  for (const SectorId& id : ids) {
    if (id.sizeCode != kSizeCode512 || id.head > 1 || id.sector == 0) continue;
    int& top = highest[{id.cylinder, id.head}];
    top = std::max(top, static_cast<int>(id.sector));
  }
  if (highest.empty()) {
    layout.fault = LayoutFault::NoSectors;
    return layout;
  }
  std::map<int, int> sides;
  for (const auto& [side, top] : highest) ++sides[top];
  int most = 0;
  for (const auto& [top, count] : sides) {
    if (count >= most) {  // a tie goes to the larger number
      most = count;
      layout.sectorsPerTrack = top;
    }
  }
  int lastCylinder = 0;
  for (const auto& [side, top] : highest) {
    if (top <= layout.sectorsPerTrack) lastCylinder = std::max(lastCylinder, side.first);
  }
  // The format with the fewest cylinders that holds every one seen; beyond all, the largest (a drive may step
  // past the last formatted cylinder).
  const FloppyFormat* chosen = nullptr;
  for (const FloppyFormat& format : FloppyFormats()) {
    if (format.sectorsPerTrack != layout.sectorsPerTrack) continue;
    const bool holds = lastCylinder < format.tracks;
    const bool chosenHolds = chosen && lastCylinder < chosen->tracks;
    if (!chosen || (holds && (!chosenHolds || format.tracks < chosen->tracks)) ||
        (!holds && !chosenHolds && format.tracks > chosen->tracks)) {
      chosen = &format;
    }
  }
  if (!chosen) {
    layout.fault = LayoutFault::UnknownFormat;
    return layout;
  }
  layout.geometry = {chosen->tracks, chosen->sectorsPerTrack};
  return layout;
}

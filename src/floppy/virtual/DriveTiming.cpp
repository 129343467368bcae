#include "floppy/virtual/DriveTiming.h"

#include <cstdlib>

int64_t RevolutionNanoseconds(const FloppyGeometry& medium) {
  bool fast = medium.tracks == 80 && medium.sectorsPerTrack == 15;
  return fast ? 166'666'667 : 200'000'000;
}

int64_t SeekNanoseconds(int fromCylinder, int toCylinder) {
  if (fromCylinder == toCylinder) return 0;
  return std::abs(toCylinder - fromCylinder) * kStepNanoseconds + kSettleNanoseconds;
}

int64_t SlotStartNanoseconds(int64_t revolution, int position, int slotsPerTrack) {
  return revolution * position / slotsPerTrack;
}

int64_t WaitForSlotNanoseconds(int64_t clock, int64_t revolution, int position, int slotsPerTrack) {
  int64_t angle = clock % revolution;
  int64_t start = SlotStartNanoseconds(revolution, position, slotsPerTrack);
  return (start - angle + revolution) % revolution;
}

int64_t PhysicalPassNanoseconds(const FloppyGeometry& medium) {
  if (medium.tracks <= 0) return 0;
  return medium.tracks * kHeads * RevolutionNanoseconds(medium) + (medium.tracks - 1) * SeekNanoseconds(0, 1);
}

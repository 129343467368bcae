#pragma once
// The simulated drive's clock: how long its mechanics take. Times are in nanoseconds.
//   - the spindle turns at 300 rpm, or 360 rpm with an 80 x 15 (1.2 MB) medium;
//   - moving the head costs 3 ms per cylinder plus 15 ms to settle; switching heads is free;
//   - a sector passes under the head in 1/n of a revolution (n sectors per track), slot p starting at p/n;
//   - a sector that fails costs 3 more revolutions of retries;
//   - opening the drive waits 500 ms for the motor to spin up.
// The rotational position is the clock modulo one revolution.

#include <cstdint>

#include "base/Geometry.h"

inline constexpr int64_t kSpinUpNanoseconds = 500'000'000;
inline constexpr int64_t kStepNanoseconds = 3'000'000;
inline constexpr int64_t kSettleNanoseconds = 15'000'000;
inline constexpr int kRetryRevolutions = 3;

int64_t RevolutionNanoseconds(const FloppyGeometry& medium);
// 0 when the head stays on its cylinder.
int64_t SeekNanoseconds(int fromCylinder, int toCylinder);
// When slot position starts on a track of slotsPerTrack slots, counted from the revolution's start.
int64_t SlotStartNanoseconds(int64_t revolution, int position, int slotsPerTrack);
// From clock until slot position next comes under the head (0 when it is just starting).
int64_t WaitForSlotNanoseconds(int64_t clock, int64_t revolution, int position, int slotsPerTrack);
// The least time any pass over the whole medium can take: one revolution per track side and a step to each
// next track (no waiting for sectors, no spin-up).
int64_t PhysicalPassNanoseconds(const FloppyGeometry& medium);

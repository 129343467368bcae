#pragma once
// The length of a cell in a track's flux, measured from the flux itself: the drive that made the capture may
// have turned faster or slower than the one that wrote the disk, and a 5.25" drive turns at 300 or 360 RPM.

#include <cstdint>
#include <optional>
#include <vector>

// MFM puts two, three or four cells between reversals: the shortest common interval is two cells. nullopt
// when the flux shows no such pattern (an unformatted or erased track).
std::optional<double> MeasureCellNs(const std::vector<uint32_t>& intervals);

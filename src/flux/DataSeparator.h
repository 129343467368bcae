#pragma once
// The data separator: a phase-locked loop that turns flux times into cells, following the spindle as it
// speeds up and slows down and ignoring the jitter of single reversals, as a floppy controller does.

#include <cstddef>
#include <vector>

#include "flux/CellStream.h"
#include "flux/FluxTrack.h"

struct SeparatedTrack {
  CellStream cells;
  std::vector<std::size_t> indexCells;  // the cell where each index pulse of the flux fell
};

// cellNs: the cell length measured from the flux (MeasureCellNs).
SeparatedTrack SeparateCells(const TrackFlux& flux, double cellNs);

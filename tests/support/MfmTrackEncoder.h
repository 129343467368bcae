#pragma once
// Test data for the flux decoder, built independently of it: the IBM MFM layout of one track of an image
// (gaps, sync, index mark, ID and data fields with their CRCs, computed bit by bit here), as cells.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/Geometry.h"

// Where a sector's fields lie in the track's cells.
struct FieldCells {
  std::size_t from = 0, to = 0;  // the field's bytes after its mark, CRC included
};

struct EncodedTrack {
  std::vector<uint8_t> cells;  // one per cell: 1 where a flux reversal is written
  std::vector<FieldCells> ids, data;  // by sector number - 1
};

// The cylinder (head) of the disk's geometry, its sectors taken from image (disk order), in the order the
// format writes them, on a track of cellsPerRevolution cells (gaps shrink where the standard ones do not fit).
EncodedTrack EncodeMfmTrack(const FloppyGeometry& geometry, int cylinder, int head, const std::vector<uint8_t>& image,
                            std::size_t cellsPerRevolution);

// CRC-16-CCITT bit by bit from the polynomial.
uint16_t ReferenceCrc16(const std::vector<uint8_t>& bytes);

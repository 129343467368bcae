#include "flux/CellStream.h"

uint32_t CellStream::Bits(std::size_t cell, unsigned count) const {
  uint32_t bits = 0;
  for (unsigned i = 0; i < count; ++i) bits = bits << 1 | (At(cell + i) ? 1u : 0u);
  return bits;
}

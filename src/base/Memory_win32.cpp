#include "base/Memory.h"

// Windows commits pages as they are first written, and offers no advice to do it earlier for such memory.
std::vector<uint8_t> ZeroedBuffer(std::size_t count) { return std::vector<uint8_t>(count); }

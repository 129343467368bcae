#pragma once
// Bits no other call in this or another process gives again soon: names of temporary files, serial numbers
// of new volumes. Not for secrets.

#include <cstdint>

uint64_t RandomBits();

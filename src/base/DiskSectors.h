#pragma once
// A disk's raw sectors in disk order and which of them are bad: what an image holds once it is loaded,
// whatever its form, and what the file system reads.

#include <cstdint>
#include <vector>

// One flag per sector; sectors past the flags count as good.
struct DiskSectors {
  std::vector<uint8_t> bytes;
  std::vector<bool> bad;
};

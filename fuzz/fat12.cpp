// The FAT12 measure of the free-space query on arbitrary disks: the input is the start of a disk image and,
// in its last two bytes (little-endian), the disk's sector count; sectors past the given bytes read as
// zeros. A volume it accepts must fit the disk, and it must never ask for a sector outside the disk.
#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "filesystem/Fat12.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int64_t sectorCount = data[size - 2] | data[size - 1] << 8;
  if (sectorCount == 0) return 0;  // no medium has no sectors, and sector 0 is always read first
  const std::size_t imageBytes = size - 2;
  // Sectors as they are asked for; a sector's bytes stay put, as on a real medium.
  std::map<int64_t, std::vector<uint8_t>> sectors;
  auto read = [&](int64_t index) -> const uint8_t* {
    if (index < 0 || index >= sectorCount) __builtin_trap();
    std::vector<uint8_t>& sector = sectors[index];
    sector.assign(kSectorBytes, 0);
    const std::size_t from = static_cast<std::size_t>(index) * kSectorBytes;
    if (from < imageBytes) std::memcpy(sector.data(), data + from, std::min<std::size_t>(kSectorBytes, imageBytes - from));
    return sector.data();
  };
  std::optional<Fat12Space> space = MeasureFat12(read, sectorCount);
  if (space && (space->totalBytes == 0 || space->freeBytes > space->totalBytes ||
                space->totalBytes > static_cast<uint64_t>(sectorCount) * kSectorBytes)) {
    __builtin_trap();
  }
  return 0;
}

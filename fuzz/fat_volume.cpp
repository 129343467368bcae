// The file reader on arbitrary volumes: the input is the start of a disk image and, in its last two bytes
// (little-endian), the disk's sector count; sectors past the given bytes are zeros, and sectors holding the
// marker block are the bad ones. Whatever the volume, the listing must end, and every entry must keep to
// what the disk can hold, however deep or cross-linked its folders.
#include <algorithm>
#include <cstring>
#include <vector>

#include "filesystem/FatVolume.h"
#include "base/BadSectorMarker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t sectorCount = std::min<std::size_t>(data[size - 2] | data[size - 1] << 8, 4096);
  DiskSectors disk;
  disk.bytes.assign(sectorCount * 512, 0);
  std::memcpy(disk.bytes.data(), data, std::min(size - 2, disk.bytes.size()));
  for (std::size_t s = 0; s < sectorCount; ++s) disk.bad.push_back(IsBadSectorMarker(&disk.bytes[s * 512]));
  const std::size_t diskBytes = disk.bytes.size();
  std::optional<FatVolume> volume = FatVolume::Read(std::move(disk));
  if (!volume) return 0;
  const std::vector<FatEntry>& entries = volume->Entries();
  if (entries.size() > 4 * diskBytes / 32) __builtin_trap();  // cross-linked folders are read again, not forever
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const FatEntry& entry = entries[i];
    if (entry.badSectors > entry.sectors || entry.sectors > static_cast<int64_t>(sectorCount)) __builtin_trap();
    if (entry.parent >= static_cast<int>(i)) __builtin_trap();  // a folder comes before its contents
    if (i >= 16) continue;  // the bytes of a few files: each may be as large as the disk
    std::vector<uint8_t> bytes = volume->FileBytes(entry);
    if (bytes.size() > diskBytes || (!entry.folder && bytes.size() > entry.size)) __builtin_trap();
  }
  return 0;
}

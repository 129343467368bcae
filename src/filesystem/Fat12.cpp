#include "filesystem/Fat12.h"

#include <cstring>

#include "base/LittleEndian.h"
#include "base/Memory.h"
#include "filesystem/FatLayout.h"

namespace {

constexpr int64_t kMaxFat12Clusters = 4084;

}  // namespace

std::optional<Fat12Space> MeasureFat12(const SectorReader& read, int64_t sectorCount) {
  const uint8_t* boot = read(0);
  std::optional<FatLayout> found = boot ? LayoutOfBootSector(boot) : std::nullopt;
  if (!found || found->totalSectors > sectorCount || found->FirstDataSector() >= found->totalSectors) {
    return std::nullopt;
  }
  const FatLayout& layout = *found;
  const int64_t clusters = layout.Clusters();
  // Entries 0 and 1 are reserved; each entry is 12 bits.
  const int64_t fatBytes = ((clusters + 2) * 3 + 1) / 2;
  if (clusters < 1 || clusters > kMaxFat12Clusters || fatBytes > layout.sectorsPerFat * 512) return std::nullopt;

  std::vector<uint8_t> fat(static_cast<std::size_t>(layout.sectorsPerFat * 512));
  for (int64_t i = 0; i < layout.sectorsPerFat; ++i) {
    const uint8_t* sector = read(layout.reserved + i);
    if (!sector) return std::nullopt;
    std::memcpy(fat.data() + i * 512, sector, 512);
  }
  int64_t freeClusters = 0;
  for (int64_t cluster = 2; cluster < clusters + 2; ++cluster) {
    uint32_t pair = GetLe16(fat.data() + cluster * 3 / 2);
    uint32_t entry = cluster % 2 == 0 ? pair & 0xFFF : pair >> 4;
    if (entry == 0) ++freeClusters;
  }
  const uint64_t clusterBytes = static_cast<uint64_t>(layout.sectorsPerCluster) * 512;
  return Fat12Space{static_cast<uint64_t>(clusters) * clusterBytes, static_cast<uint64_t>(freeClusters) * clusterBytes};
}

std::vector<uint8_t> BlankFat12Volume(const FloppyGeometry& geometry, uint32_t serial) {
  const std::optional<FatLayout> found = BlankFatLayout(geometry);
  if (!found) return {};
  const FatLayout& layout = *found;
  std::vector<uint8_t> volume = ZeroedBuffer(static_cast<std::size_t>(geometry.TotalBytes()));
  uint8_t* boot = volume.data();
  const uint8_t jump[3] = {0xEB, 0x3C, 0x90};
  std::memcpy(boot, jump, 3);
  std::memcpy(boot + 3, "DISKELLE", 8);
  PutLe16(boot + 11, kSectorBytes);
  boot[13] = static_cast<uint8_t>(layout.sectorsPerCluster);
  PutLe16(boot + 14, static_cast<uint16_t>(layout.reserved));
  boot[16] = static_cast<uint8_t>(layout.fats);
  PutLe16(boot + 17, static_cast<uint16_t>(layout.rootEntries));
  PutLe16(boot + 19, static_cast<uint16_t>(layout.totalSectors));
  boot[21] = layout.media;
  PutLe16(boot + 22, static_cast<uint16_t>(layout.sectorsPerFat));
  PutLe16(boot + 24, static_cast<uint16_t>(geometry.sectorsPerTrack));
  PutLe16(boot + 26, static_cast<uint16_t>(kHeads));
  boot[38] = 0x29;  // extended boot signature: serial, label and type follow
  PutLe32(boot + 39, serial);
  std::memcpy(boot + 43, "NO NAME    FAT12   ", 19);
  boot[510] = 0x55;
  boot[511] = 0xAA;
  for (int64_t copy = 0; copy < layout.fats; ++copy) {
    uint8_t* fat = volume.data() + (layout.reserved + copy * layout.sectorsPerFat) * kSectorBytes;
    fat[0] = layout.media;
    fat[1] = 0xFF;
    fat[2] = 0xFF;
  }
  return volume;
}

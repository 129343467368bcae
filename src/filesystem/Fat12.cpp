#include "filesystem/Fat12.h"

#include <cstring>

#include "base/LittleEndian.h"

namespace {

constexpr int64_t kMaxFat12Clusters = 4084;

bool PowerOfTwo(uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

// The layout that a boot sector describes.
struct Layout {
  int64_t sectorsPerCluster, reservedSectors, fats, sectorsPerFat, totalSectors, rootSectors;
  int64_t FirstDataSector() const { return reservedSectors + fats * sectorsPerFat + rootSectors; }
  int64_t Clusters() const { return (totalSectors - FirstDataSector()) / sectorsPerCluster; }
};

// Classic parameters of each format; sectors per FAT is computed.
struct BlankParameters {
  int32_t key;
  uint8_t sectorsPerCluster;
  uint16_t rootEntries;
  uint8_t mediaDescriptor;
};

constexpr BlankParameters kBlank[] = {
    {360, 2, 112, 0xFD},  {720, 2, 112, 0xF9},  {800, 2, 112, 0xF9},
    {1200, 1, 224, 0xF9}, {1440, 1, 224, 0xF0}, {1680, 4, 16, 0xF0},
};

}  // namespace

std::optional<Fat12Space> MeasureFat12(const SectorReader& read, int64_t sectorCount) {
  const uint8_t* boot = read(0);
  if (!boot || (boot[0] != 0xEB && boot[0] != 0xE9) || GetLe16(boot + 11) != 512) return std::nullopt;
  Layout layout;
  layout.sectorsPerCluster = boot[13];
  layout.reservedSectors = GetLe16(boot + 14);
  layout.fats = boot[16];
  uint32_t rootEntries = GetLe16(boot + 17);
  layout.totalSectors = GetLe16(boot + 19) != 0 ? GetLe16(boot + 19) : GetLe32(boot + 32);
  layout.sectorsPerFat = GetLe16(boot + 22);
  layout.rootSectors = (int64_t{rootEntries} * 32 + 511) / 512;
  if (!PowerOfTwo(boot[13]) || layout.reservedSectors < 1 || layout.fats < 1 || rootEntries == 0 ||
      layout.sectorsPerFat < 1 || layout.totalSectors > sectorCount ||
      layout.FirstDataSector() >= layout.totalSectors) {
    return std::nullopt;
  }
  const int64_t clusters = layout.Clusters();
  // Entries 0 and 1 are reserved; each entry is 12 bits.
  const int64_t fatBytes = ((clusters + 2) * 3 + 1) / 2;
  if (clusters < 1 || clusters > kMaxFat12Clusters || fatBytes > layout.sectorsPerFat * 512) return std::nullopt;

  std::vector<uint8_t> fat(static_cast<std::size_t>(layout.sectorsPerFat * 512));
  for (int64_t i = 0; i < layout.sectorsPerFat; ++i) {
    const uint8_t* sector = read(layout.reservedSectors + i);
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

std::vector<uint8_t> BlankFat12Volume(const FloppyGeometry& geometry) {
  const BlankParameters* parameters = nullptr;
  const FloppyFormat* format = FindFloppyFormat(geometry);
  for (const BlankParameters& candidate : kBlank) {
    if (format && candidate.key == format->key) parameters = &candidate;
  }
  if (!parameters) return {};
  const int64_t total = geometry.TotalSectors();
  Layout layout{parameters->sectorsPerCluster, 1, 2, 1, total, (int64_t{parameters->rootEntries} * 32 + 511) / 512};
  while (((layout.Clusters() + 2) * 3 + 1) / 2 > layout.sectorsPerFat * 512) ++layout.sectorsPerFat;

  std::vector<uint8_t> volume(static_cast<std::size_t>(geometry.TotalBytes()), 0);
  uint8_t* boot = volume.data();
  const uint8_t jump[3] = {0xEB, 0x3C, 0x90};
  std::memcpy(boot, jump, 3);
  std::memcpy(boot + 3, "DISKELLE", 8);
  PutLe16(boot + 11, 512);
  boot[13] = parameters->sectorsPerCluster;
  PutLe16(boot + 14, static_cast<uint16_t>(layout.reservedSectors));
  boot[16] = static_cast<uint8_t>(layout.fats);
  PutLe16(boot + 17, parameters->rootEntries);
  PutLe16(boot + 19, static_cast<uint16_t>(total));
  boot[21] = parameters->mediaDescriptor;
  PutLe16(boot + 22, static_cast<uint16_t>(layout.sectorsPerFat));
  PutLe16(boot + 24, static_cast<uint16_t>(geometry.sectorsPerTrack));
  PutLe16(boot + 26, static_cast<uint16_t>(kHeads));
  boot[38] = 0x29;  // extended boot signature: serial, label and type follow
  std::memcpy(boot + 43, "NO NAME    FAT12   ", 19);
  boot[510] = 0x55;
  boot[511] = 0xAA;
  for (int64_t copy = 0; copy < layout.fats; ++copy) {
    uint8_t* fat = volume.data() + (layout.reservedSectors + copy * layout.sectorsPerFat) * 512;
    fat[0] = parameters->mediaDescriptor;
    fat[1] = 0xFF;
    fat[2] = 0xFF;
  }
  return volume;
}

#include "filesystem/FatLayout.h"

#include "base/LittleEndian.h"

namespace {

// total, sectors per cluster, root entries, sectors per FAT, media byte, made here.
constexpr StandardFatLayout kStandard[] = {
    {{2, 1, 2, 112, 720, 2, 0xFD}, true},    // 360 KB
    {{2, 1, 2, 112, 1440, 3, 0xF9}, true},   // 720 KB
    {{2, 1, 2, 112, 1600, 3, 0xF9}, true},   // 800 KB
    {{2, 1, 2, 224, 1600, 3, 0xF0}, false},  // 800 KB as other tools format it
    {{1, 1, 2, 224, 2400, 7, 0xF9}, true},   // 1.2 MB
    {{1, 1, 2, 224, 2880, 9, 0xF0}, true},   // 1.44 MB
    {{1, 1, 2, 224, 3360, 10, 0xF0}, false}, // 1.68 MB as DOS tools format it
    {{4, 1, 2, 16, 3360, 3, 0xF0}, true},    // 1.68 MB as this program formats it
};

bool PowerOfTwo(int64_t value) { return value > 0 && (value & (value - 1)) == 0; }

}  // namespace

std::span<const StandardFatLayout> StandardFatLayouts() { return kStandard; }

std::optional<FatLayout> BlankFatLayout(const FloppyGeometry& geometry) {
  if (!FindFloppyFormat(geometry)) return std::nullopt;
  for (const StandardFatLayout& standard : kStandard) {
    if (standard.madeHere && standard.layout.totalSectors == geometry.TotalSectors()) return standard.layout;
  }
  return std::nullopt;
}

std::optional<FatLayout> LayoutOfBootSector(const uint8_t* boot) {
  if ((boot[0] != 0xEB && boot[0] != 0xE9) || GetLe16(boot + 11) != kSectorBytes) return std::nullopt;
  FatLayout layout;
  layout.sectorsPerCluster = boot[13];
  layout.reserved = GetLe16(boot + 14);
  layout.fats = boot[16];
  layout.rootEntries = GetLe16(boot + 17);
  layout.totalSectors = GetLe16(boot + 19) != 0 ? GetLe16(boot + 19) : GetLe32(boot + 32);
  layout.media = boot[21];
  layout.sectorsPerFat = GetLe16(boot + 22);
  if (!PowerOfTwo(layout.sectorsPerCluster) || layout.reserved < 1 || (layout.fats != 1 && layout.fats != 2) ||
      layout.rootEntries < 1 || layout.sectorsPerFat < 1) {
    return std::nullopt;
  }
  return layout;
}

std::optional<FatLayout> LayoutOfMediaByte(const uint8_t* fat) {
  if (fat[1] != 0xFF || fat[2] != 0xFF) return std::nullopt;
  switch (fat[0]) {
    case 0xFE: return FatLayout{1, 1, 2, 64, 320, 1, 0xFE};   // 160 KB
    case 0xFC: return FatLayout{1, 1, 2, 64, 360, 2, 0xFC};   // 180 KB
    case 0xFF: return FatLayout{2, 1, 2, 112, 640, 1, 0xFF};  // 320 KB
    case 0xFD: return FatLayout{2, 1, 2, 112, 720, 2, 0xFD};  // 360 KB
    default: return std::nullopt;
  }
}

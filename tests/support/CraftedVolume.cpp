#include "support/CraftedVolume.h"

#include <algorithm>
#include <cstring>

#include "base/LittleEndian.h"
#include "base/Utf.h"
#include "filesystem/Fat12.h"

CraftedVolume::CraftedVolume() : bytes(BlankFat12Volume({80, 18})) {}

void CraftedVolume::SetNext(uint32_t cluster, uint32_t value) {
  for (int copy = 0; copy < 2; ++copy) {
    uint8_t* at = &bytes[(1 + copy * 9) * 512 + cluster * 3 / 2];
    uint16_t pair = GetLe16(at);
    pair = cluster % 2 == 0 ? static_cast<uint16_t>((pair & 0xF000) | value)
                            : static_cast<uint16_t>((pair & 0x000F) | value << 4);
    PutLe16(at, pair);
  }
}

void CraftedVolume::Chain(const std::vector<uint32_t>& clusters) {
  for (std::size_t i = 0; i < clusters.size(); ++i) {
    SetNext(clusters[i], i + 1 < clusters.size() ? clusters[i + 1] : 0xFFF);
  }
}

uint8_t* CraftedVolume::Entry(int64_t sector, int slot, const char* name11, uint8_t attributes, uint16_t cluster,
                              uint32_t size) {
  uint8_t* e = Sector(sector) + slot * 32;
  std::memcpy(e, name11, 11);
  e[11] = attributes;
  PutLe16(e + 22, static_cast<uint16_t>(13 << 11 | 45 << 5 | 30 / 2));          // 13:45:30
  PutLe16(e + 24, static_cast<uint16_t>((1995 - 1980) << 9 | 6 << 5 | 17));  // 1995-06-17
  PutLe16(e + 26, cluster);
  PutLe32(e + 28, size);
  return e;
}

int CraftedVolume::LongName(int64_t sector, int firstSlot, const std::string& name, const char* short11) {
  uint8_t sum = 0;
  for (int i = 0; i < 11; ++i) sum = static_cast<uint8_t>(((sum & 1) << 7) + (sum >> 1) + static_cast<uint8_t>(short11[i]));
  const std::u16string units = Utf8ToUtf16(name);
  const int count = static_cast<int>(units.size() + 12) / 13;
  static const int offsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
  for (int k = 0; k < count; ++k) {
    const int ordinal = count - k;
    uint8_t* e = Sector(sector) + (firstSlot + k) * 32;
    std::memset(e, 0, 32);
    e[0] = static_cast<uint8_t>(ordinal | (k == 0 ? 0x40 : 0));
    e[11] = 0x0F;
    e[13] = sum;
    for (int i = 0; i < 13; ++i) {
      const std::size_t at = static_cast<std::size_t>((ordinal - 1) * 13 + i);
      const uint16_t unit = at < units.size() ? units[at] : at == units.size() ? 0 : 0xFFFF;
      PutLe16(e + offsets[i], unit);
    }
  }
  return count;
}

uint16_t CraftedVolume::Store(std::string_view data) {
  if (data.empty()) return 0;
  std::vector<uint32_t> clusters;
  for (std::size_t at = 0; at < data.size(); at += 512) {
    const uint32_t cluster = nextCluster_++;
    std::memcpy(Sector(SectorOf(cluster)), data.data() + at, std::min<std::size_t>(512, data.size() - at));
    clusters.push_back(cluster);
  }
  Chain(clusters);
  return static_cast<uint16_t>(clusters.front());
}

uint8_t* CraftedVolume::AddFile(Folder& folder, const char* short11, std::string_view data, const std::string& longName) {
  if (!longName.empty()) folder.next += LongName(folder.sector, folder.next, longName, short11);
  return AddEntry(folder, short11, 0x20, Store(data), static_cast<uint32_t>(data.size()));
}

CraftedVolume::Folder CraftedVolume::AddFolder(Folder& folder, const char* short11, const std::string& longName) {
  const uint32_t cluster = nextCluster_++;
  Chain({cluster});
  if (!longName.empty()) folder.next += LongName(folder.sector, folder.next, longName, short11);
  const uint16_t above = folder.sector == kRootSector ? 0 : static_cast<uint16_t>(folder.sector - 33 + 2);
  AddEntry(folder, short11, 0x10, static_cast<uint16_t>(cluster), 0);
  Entry(SectorOf(cluster), 0, ".          ", 0x10, static_cast<uint16_t>(cluster), 0);
  Entry(SectorOf(cluster), 1, "..         ", 0x10, above, 0);
  return {SectorOf(cluster), 16, 2};
}

uint8_t* CraftedVolume::AddEntry(Folder& folder, const char* short11, uint8_t attributes, uint16_t cluster,
                                 uint32_t size) {
  return Entry(folder.sector, folder.next++, short11, attributes, cluster, size);
}

#include "filesystem/Fat12.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Reads sectors of a volume held in memory; sectors in unreadable fail.
SectorReader ReaderOf(const std::vector<uint8_t>& volume, std::vector<int64_t> unreadable = {}) {
  return [&volume, unreadable](int64_t sector) -> const uint8_t* {
    for (int64_t bad : unreadable) {
      if (bad == sector) return nullptr;
    }
    if (sector < 0 || (sector + 1) * 512 > static_cast<int64_t>(volume.size())) return nullptr;
    return volume.data() + sector * 512;
  };
}

void SetEntry(std::vector<uint8_t>& volume, int64_t fatStart, int64_t cluster, uint32_t value) {
  uint8_t* at = volume.data() + fatStart + cluster * 3 / 2;
  if (cluster % 2 == 0) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>((at[1] & 0xF0) | (value >> 8 & 0x0F));
  } else {
    at[0] = static_cast<uint8_t>((at[0] & 0x0F) | (value << 4 & 0xF0));
    at[1] = static_cast<uint8_t>(value >> 4);
  }
}

TEST(Fat12, BlankVolumesHaveTheClassicCapacities) {
  struct Case {
    FloppyGeometry geometry;
    uint64_t bytes;
    uint8_t media;
    uint16_t sectorsPerFat;
  } cases[] = {
      {{40, 9}, 362496, 0xFD, 2},   {{80, 9}, 730112, 0xF9, 3},   {{80, 10}, 812032, 0xF9, 3},
      {{80, 15}, 1213952, 0xF9, 7}, {{80, 18}, 1457664, 0xF0, 9}, {{80, 21}, 1716224, 0xF0, 3},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> volume = BlankFat12Volume(c.geometry);
    ASSERT_EQ(volume.size(), static_cast<std::size_t>(c.geometry.TotalBytes()));
    EXPECT_EQ(volume[21], c.media);
    EXPECT_EQ(volume[22] | volume[23] << 8, c.sectorsPerFat);
    EXPECT_EQ(volume[24], c.geometry.sectorsPerTrack);
    EXPECT_EQ(volume[510], 0x55);
    EXPECT_EQ(volume[512], c.media);  // the first FAT starts with the media descriptor
    std::optional<Fat12Space> space = MeasureFat12(ReaderOf(volume), c.geometry.TotalSectors());
    ASSERT_TRUE(space) << c.geometry.SizeKb();
    EXPECT_EQ(space->totalBytes, c.bytes);
    EXPECT_EQ(space->freeBytes, c.bytes);
  }
  EXPECT_TRUE(BlankFat12Volume({80, 11}).empty());
}

TEST(Fat12, FreeSpaceCountsOnlyZeroEntries) {
  std::vector<uint8_t> volume = BlankFat12Volume({80, 18});
  const int64_t fat = 512;
  SetEntry(volume, fat, 2, 0x003);     // even entry
  SetEntry(volume, fat, 3, 0xFFF);     // odd entry
  SetEntry(volume, fat, 10, 0xFF7);    // a bad cluster is not free
  SetEntry(volume, fat, 2848, 0x001);  // the last cluster (2847 data clusters: 2..2848)
  SetEntry(volume, fat, 2849, 0xFFF);  // beyond the last cluster: not counted
  std::optional<Fat12Space> space = MeasureFat12(ReaderOf(volume), 2880);
  ASSERT_TRUE(space);
  EXPECT_EQ(space->totalBytes, 2847u * 512);
  EXPECT_EQ(space->freeBytes, (2847u - 4) * 512);
}

TEST(Fat12, BootSectorsThatDoNotDescribeTheDiskAreRefused) {
  const std::vector<uint8_t> blank = BlankFat12Volume({80, 18});
  auto with = [&blank](std::initializer_list<std::pair<int, uint8_t>> bytes) {
    std::vector<uint8_t> volume = blank;
    for (auto [at, value] : bytes) volume[static_cast<std::size_t>(at)] = value;
    return volume;
  };
  struct Case {
    const char* name;
    std::vector<uint8_t> volume;
    int64_t sectors;
    std::vector<int64_t> unreadable;
  } cases[] = {
      {"no jump instruction", with({{0, 0x00}}), 2880, {}},
      {"1024-byte sectors", with({{11, 0x00}, {12, 0x04}}), 2880, {}},
      {"3 sectors per cluster", with({{13, 3}}), 2880, {}},
      {"0 sectors per cluster", with({{13, 0}}), 2880, {}},
      {"no reserved sector", with({{14, 0}}), 2880, {}},
      {"no FAT", with({{16, 0}}), 2880, {}},
      {"no root entries", with({{17, 0}, {18, 0}}), 2880, {}},
      {"no sectors per FAT", with({{22, 0}}), 2880, {}},
      {"larger than the disk", blank, 2879, {}},
      {"no data area", with({{19, 20}, {20, 0}}), 2880, {}},
      {"too many clusters for FAT12", with({{19, 0}, {20, 0}, {32, 0x00}, {33, 0x40}, {22, 0x30}}), 0x4000, {}},
      {"FAT too small for its clusters", with({{22, 8}}), 2880, {}},
      {"boot sector unreadable", blank, 2880, {0}},
      {"FAT sector unreadable", blank, 2880, {5}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> volume = c.volume;
    if (c.sectors * 512 > static_cast<int64_t>(volume.size())) volume.resize(static_cast<std::size_t>(c.sectors) * 512);
    EXPECT_FALSE(MeasureFat12(ReaderOf(volume, c.unreadable), c.sectors)) << c.name;
  }
  // The second FAT and the root directory are not needed.
  EXPECT_TRUE(MeasureFat12(ReaderOf(blank, {10, 19}), 2880));
  // Total sectors from the 32-bit field when the 16-bit one is 0.
  EXPECT_EQ(MeasureFat12(ReaderOf(with({{19, 0}, {20, 0}, {32, 0x40}, {33, 0x0B}})), 2880)->totalBytes, 2847u * 512);
}

}  // namespace

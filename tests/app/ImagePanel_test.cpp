// The image information panel: what a trailer states is shown only when an image could state it.
#include "app/ImagePanel.h"

#include <gtest/gtest.h>

namespace {

TEST(ImagePanel, ImpossibleSizesAndGeometriesAreUnknown) {
  struct Case {
    const char* title;
    int32_t sectors, tracks, total, free;
    const char* geometry;
    const char* totalSize;
    const char* freeSpace;
  } cases[] = {
      {"a full trailer", 18, 80, 1457664, 1213952, "18 扇区/磁轨，80 个磁轨 (1440 kB)", "1423 kB (1457664 字节)",
       "1185 kB (1213952 字节)"},
      {"nothing stated", 0, 0, 0, 0, "N/A", "N/A", "N/A"},
      {"negative sizes", 9, 40, -5, -1, "9 扇区/磁轨，40 个磁轨 (360 kB)", "N/A", "N/A"},
      {"more free than total", 9, 80, 713728, 713729, "9 扇区/磁轨，80 个磁轨 (720 kB)", "697 kB (713728 字节)", "N/A"},
      {"larger than any image", 18, 80, 2097153, 2097152, "18 扇区/磁轨，80 个磁轨 (1440 kB)", "N/A",
       "2048 kB (2097152 字节)"},
      {"negative geometry", -18, 80, 0, 0, "N/A", "N/A", "N/A"},
      {"geometry beyond 2 MB", 2147483647, 2147483647, 0, 0, "N/A", "N/A", "N/A"},
  };
  for (const Case& c : cases) {
    CImageInfo image;
    image.m_sectorsPerTrack = c.sectors;
    image.m_tracks = c.tracks;
    image.m_totalBytes = c.total;
    image.m_freeBytes = c.free;
    ImagePanelTexts texts = DescribeImage(image);
    EXPECT_EQ(texts.geometry, c.geometry) << c.title;
    EXPECT_EQ(texts.totalSize, c.totalSize) << c.title;
    EXPECT_EQ(texts.freeSpace, c.freeSpace) << c.title;
  }
}

}  // namespace

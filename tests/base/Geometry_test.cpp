#include "base/Geometry.h"

#include <gtest/gtest.h>

#include "support/FakeMessageBoxes.h"

namespace {

TEST(Geometry, ImageSizesClassifyByStrictWindows) {
  struct Case {
    int64_t bytes;
    FloppyGeometry expected;
  } cases[] = {
      {368640, {40, 9}},      {358400, {80, 18}},  // exactly 10,240 below: outside every window
      {358401, {40, 9}},      {378879, {40, 9}},   {378880, {80, 18}},
      {737280, {80, 9}},      {819200, {80, 10}},  {1228800, {80, 15}},
      {1474560, {80, 18}},    {1475584, {80, 18}},  // a 1440 KB image with its 1024-byte trailer
      {1720320, {80, 21}},    {1730559, {80, 21}}, {2000000, {80, 18}},
      {0, {80, 18}},          {-1, {80, 18}},
  };
  for (const Case& c : cases) EXPECT_EQ(ClassifyImageSize(c.bytes), c.expected) << c.bytes;
}

TEST(Geometry, FormatTableRows) {
  struct Case {
    FloppyGeometry geometry;
    uint32_t media;
    bool extended;
    uint16_t gap;
    uint8_t ch, cl;
    bool on9x;
  } cases[] = {
      {{40, 9}, 6, false, 0x50, 0x27, 0x09, true},  {{80, 9}, 5, false, 0x50, 0x4F, 0x09, true},
      {{80, 10}, 5, true, 46, 0x4F, 0x09, false},   {{80, 15}, 1, false, 0x54, 0x4F, 0x0F, true},
      {{80, 18}, 2, false, 0x6C, 0x4F, 0x12, true}, {{80, 21}, 2, true, 12, 0x4F, 0x12, false},
  };
  for (const Case& c : cases) {
    const FloppyFormat* row = FindFloppyFormat(c.geometry);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->ntMediaType, c.media);
    EXPECT_EQ(row->extendedRequest, c.extended);
    EXPECT_EQ(row->gapLength, c.gap);
    EXPECT_EQ(row->media9xTracks, c.ch);
    EXPECT_EQ(row->media9xSectors, c.cl);
    EXPECT_EQ(row->allowedOn9x, c.on9x);
  }
  EXPECT_EQ(FindFloppyFormat({20, 18}), FindFloppyFormat({40, 9}));  // keyed by the product alone
  EXPECT_EQ(FindFloppyFormat({80, 11}), nullptr);
}

TEST(Geometry, SectorIdsOfAFormattedTrack) {
  EXPECT_EQ(FormatSectorIds({80, 9}), (std::vector<uint16_t>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(FormatSectorIds({80, 21}), (std::vector<uint16_t>{1, 12, 2, 13, 3, 14, 4, 15, 5, 16, 6,
                                                              17, 7, 18, 8, 19, 9, 20, 10, 21, 11}));
  EXPECT_TRUE(FormatSectorIds({80, 0}).empty());
}

TEST(Geometry, DiskMustMatchTheImage) {
  struct Case {
    FloppyGeometry image, disk;
    int id;
    const char* text;
  } cases[] = {
      {{80, 18}, {80, 18}, 0, ""},
      {{80, 18}, {80, 21}, 57676, "该软盘与映像文件不匹配。\n软盘需要被格式化为 1440 KB。"},
      {{80, 21}, {80, 18}, 57676, "该软盘与映像文件不匹配。\n软盘需要被格式化为 1680 KB。"},
      {{80, 9}, {80, 15}, 57675, "该软盘与映像文件不匹配。\n您需要有一个 3.5\" 软盘。"},
      {{80, 15}, {80, 18}, 57675, "该软盘与映像文件不匹配。\n您需要有一个 5.25\" 软盘。"},
      {{40, 9}, {80, 15}, 57676, "该软盘与映像文件不匹配。\n软盘需要被格式化为 360 KB。"},
      {{80, 9}, {80, 18}, 57675, "该软盘与映像文件不匹配。\n您需要有一个 双倍密度 (DD) 软盘。"},
      {{80, 10}, {80, 21}, 57676, "该软盘与映像文件不匹配。\n软盘需要被格式化为 800 KB。"},
      {{80, 21}, {80, 9}, 57675, "该软盘与映像文件不匹配。\n您需要有一个 高密度 (HD) 软盘。"},  // D is not 5.25"
      {{80, 18}, {40, 9}, 57675, "该软盘与映像文件不匹配。\n您需要有一个 3.5\" 软盘。"},
      {{80, 10}, {80, 9}, 57676, "该软盘与映像文件不匹配。\n软盘需要被格式化为 800 KB。"},
      {{82, 18}, {80, 9}, 57675, "该软盘与映像文件不匹配。\n您需要有一个 高密度 (HD) 软盘。"},
  };
  for (const Case& c : cases) {
    FakeMessageBoxes boxes;
    EXPECT_EQ(CheckDiskMatchesImage(c.image, c.disk, boxes), c.id == 0 ? 0 : -1);
    if (c.id == 0) {
      EXPECT_TRUE(boxes.Boxes().empty());
      continue;
    }
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].textId, c.id);
    EXPECT_EQ(boxes.Boxes()[0].text, c.text) << c.image.sectorsPerTrack << " on " << c.disk.sectorsPerTrack;
    EXPECT_EQ(boxes.Boxes()[0].icon, MessageIcon::Error);
  }
}

TEST(Geometry, FormatSupportDependsOnTheSystemFamily) {
  struct Case {
    FloppyGeometry image;
    uint32_t ntMajor;
    bool supported;
  } cases[] = {
      {{80, 10}, 5, true},  {{80, 21}, 4, true},  {{80, 81}, 5, false}, {{80, -1}, 5, false},
      {{80, 10}, 0, false}, {{80, 21}, 0, false}, {{80, 18}, 0, true},  {{40, 9}, 0, true},
  };
  for (const Case& c : cases) {
    FakeMessageBoxes boxes;
    EXPECT_EQ(CheckFormatSupported(c.image, c.ntMajor, boxes), c.supported ? 0 : -1);
    if (!c.supported) {
      ASSERT_EQ(boxes.Boxes().size(), 1u);
      EXPECT_EQ(boxes.Boxes()[0].textId, 1053);
    }
  }
  FakeMessageBoxes boxes;
  CheckFormatSupported({80, 21}, 0, boxes);
  EXPECT_EQ(boxes.Boxes()[0].text,
            "该映像文件具有不支持的格式(80 个磁轨，每磁轨 21 个扇区)。\n目前所支持的格式只能在基于 Windows NT 的操作系统中可用。");
}

}  // namespace

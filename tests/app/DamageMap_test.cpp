#include "app/DamageMap.h"

#include <gtest/gtest.h>

namespace {

struct Cell {
  int track, head, sector;
  SectorState state;
  bool operator==(const Cell&) const = default;
};

std::vector<Cell> MarkedCells(const DamageMap& map) {
  std::vector<Cell> cells;
  for (int track = 0; track < map.Tracks(); ++track) {
    for (int head = 0; head < 2; ++head) {
      for (int sector = 0; sector < map.SectorsPerTrack(); ++sector) {
        SectorState state = map.At(track, head, sector);
        if (state != SectorState::Good) cells.push_back({track, head, sector, state});
      }
    }
  }
  return cells;
}

uint32_t Offset(int64_t sector) { return static_cast<uint32_t>(sector * 512); }

TEST(DamageMap, EveryReportedSectorLandsOnItsTrackHeadAndSector) {
  constexpr SectorState kBad = SectorState::Bad, kRecovered = SectorState::Recovered,
                        kRecreated = SectorState::Recreated;
  struct Case {
    const char* title;
    FloppyGeometry geometry;
    std::vector<uint32_t> offsets;
    std::vector<RecoveredSector> recovered;
    SectorState damage;
    std::vector<Cell> cells;  // in track, head, sector order
  } cases[] = {
      {"nothing bad", {80, 18}, {}, {}, kBad, {}},
      {"1440 KB, sector 37", {80, 18}, {Offset(37)}, {}, kBad, {{1, 0, 1, kBad}}},
      {"first and last of a 360 KB disk", {40, 9}, {Offset(719), 0}, {}, kBad, {{0, 0, 0, kBad}, {39, 1, 8, kBad}}},
      {"head 1 of a 1680 KB disk, recovered on pass 2",
       {80, 21},
       {Offset(3359)},
       {{Offset(21), 2}},
       kBad,
       {{0, 1, 0, kRecovered}, {79, 1, 20, kBad}}},
      {"a write's recreated sectors", {80, 18}, {Offset(2), Offset(100)}, {}, kRecreated,
       {{0, 0, 2, kRecreated}, {2, 1, 10, kRecreated}}},
      {"1200 KB: a sector listed both ways stays bad",
       {80, 15},
       {Offset(30)},
       {{Offset(30), 1}, {Offset(31), 1}},
       kBad,
       {{1, 0, 0, kBad}, {1, 0, 1, kRecovered}}},
      {"offsets beyond the disk are left out", {40, 9}, {Offset(720), 0xFFFFFE00u}, {{Offset(9999), 1}}, kBad, {}},
  };
  for (const Case& c : cases) {
    DamageMap map = BuildDamageMap(c.offsets, c.geometry, c.recovered, c.damage);
    ASSERT_FALSE(map.Empty()) << c.title;
    EXPECT_EQ(map.Tracks(), c.geometry.tracks) << c.title;
    EXPECT_EQ(map.SectorsPerTrack(), c.geometry.sectorsPerTrack) << c.title;
    EXPECT_TRUE(MarkedCells(map) == c.cells) << c.title;
  }
}

TEST(DamageMap, AGeometryNoFloppyHasGivesNoMap) {
  for (FloppyGeometry geometry : {FloppyGeometry{0, 18}, FloppyGeometry{80, 0}, FloppyGeometry{-1, 9},
                                  FloppyGeometry{100000, 18}, FloppyGeometry{80, 256}}) {
    DamageMap map = BuildDamageMap({0}, geometry, {}, SectorState::Bad);
    EXPECT_TRUE(map.Empty()) << geometry.tracks << "x" << geometry.sectorsPerTrack;
    EXPECT_TRUE(DamageMapLines(map, false).empty());
  }
}

TEST(DamageMap, PlainLinesForATerminalThatIsNone) {
  DamageMap map = BuildDamageMap({0, Offset(31)}, {2, 8}, {{Offset(22), 1}}, SectorState::Bad);
  std::vector<std::string> expected = {
      "扇区分布图",
      "磁轨  磁头 0    磁头 1",
      "      1   5     1   5",
      "   0  X.......  ........",
      "   1  ......R.  .......X",
      "图例:  . 完好  X 坏扇区  R 重试时读出",
  };
  EXPECT_EQ(DamageMapLines(map, false), expected);
  std::vector<std::string> written = DamageMapLines(BuildDamageMap({Offset(9)}, {2, 8}, {}, SectorState::Recreated), false);
  ASSERT_EQ(written.size(), 6u);
  EXPECT_EQ(written[3], "   0  ........  .C......");
  EXPECT_EQ(written[5], "图例:  . 完好  C 已重建的坏扇区");
}

TEST(DamageMap, ColoursOnlyWhenAskedAndTheSameCharactersUnderThem) {
  DamageMap map = BuildDamageMap({Offset(43), Offset(3000)}, {80, 21}, {{Offset(40), 1}}, SectorState::Bad);
  std::vector<std::string> plain = DamageMapLines(map, false);
  std::vector<std::string> coloured = DamageMapLines(map, true);
  ASSERT_EQ(plain.size(), 80u + 4u);
  ASSERT_EQ(coloured.size(), plain.size());
  int escapes = 0;
  for (std::size_t i = 0; i < plain.size(); ++i) {
    EXPECT_EQ(plain[i].find('\033'), std::string::npos) << plain[i];
    // 80 tracks x 21 sectors x 2 heads still fit an 80-column terminal with the report's indent.
    if (i >= 3 && i < plain.size() - 1) {
      EXPECT_LE(plain[i].size() + 2, 79u) << plain[i];
    }
    std::string stripped;
    for (std::size_t k = 0; k < coloured[i].size(); ++k) {
      if (coloured[i][k] != '\033') {
        stripped += coloured[i][k];
        continue;
      }
      ++escapes;
      k = coloured[i].find('m', k);
      ASSERT_NE(k, std::string::npos) << "an escape left open";
    }
    EXPECT_EQ(stripped, plain[i]);
  }
  EXPECT_GT(escapes, 0);
  EXPECT_NE(coloured[4].find("\033[1;31mX\033[32m"), std::string::npos) << coloured[4];
}

}  // namespace

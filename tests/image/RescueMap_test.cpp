// The map beside an emergency image: what the program writes is a mapfile another tool reads (checked by a
// reader written from the format's manual), and what it reads back decides which sectors are tried again.
#include "image/RescueMap.h"

#include <gtest/gtest.h>

#include "base/Texts.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"
#include "support/MapfileReader.h"

namespace {

constexpr uint64_t k1440 = 1474560;

std::vector<bool> Flags(std::size_t sectors, const std::vector<std::size_t>& bad) {
  std::vector<bool> flags(sectors, false);
  for (std::size_t sector : bad) flags[sector] = true;
  return flags;
}

TEST(RescueMap, WrittenMapsReadBackByTheFormatsRules) {
  struct Case {
    std::vector<bool> flags;
    std::vector<int64_t> bad;
  } cases[] = {
      {Flags(2880, {}), {}},
      {Flags(2880, {37}), {37}},
      {Flags(2880, {0, 1, 2, 100, 2879}), {0, 1, 2, 100, 2879}},
      {Flags(720, {5, 7, 9}), {5, 7, 9}},
  };
  for (const Case& c : cases) {
    std::string text = RescueMapText(FinishedRescue(c.flags), 2);
    std::string why;
    std::optional<Mapfile> map = ReadMapfile(text, &why);
    ASSERT_TRUE(map) << why << "\n" << text;
    EXPECT_EQ(map->currentStatus, '+');
    EXPECT_EQ(map->currentPass, 2u);
    EXPECT_EQ(map->currentPosition, c.flags.size() * 512);
    ASSERT_FALSE(map->blocks.empty());
    EXPECT_EQ(map->blocks.front().position, 0u);
    EXPECT_EQ(map->blocks.back().position + map->blocks.back().size, c.flags.size() * 512);
    for (std::size_t i = 1; i < map->blocks.size(); ++i) {
      EXPECT_NE(map->blocks[i].status, map->blocks[i - 1].status) << "neighbours of one status are one block";
    }
    EXPECT_EQ(BadSectorsOfMapfile(*map), c.bad);
    EXPECT_EQ(ParseRescueMap(text, c.flags.size() * 512), FinishedRescue(c.flags).sectors);
  }
}

TEST(RescueMap, MapsOfOtherToolsAndDamagedOnes) {
  const std::string status = "# comment\n0x00000000     ?               1\n";
  struct Case {
    std::string blocks;
    std::optional<std::vector<std::size_t>> bad;  // nullopt: refused
  } cases[] = {
      // decimal and octal numbers, blank lines, no pass number on the status line
      {"0 1024 +\n\n1024 01000 -\n0x600 1473024 +\n", std::vector<std::size_t>{2}},
      // anything not finished is still to read; a block that covers part of a sector makes it bad
      {"0 512 ?\n512 100 +\n612 412 *\n1024 512 /\n1536 1473024 +\n", std::vector<std::size_t>{0, 1, 2}},
      {"0x0 0x168000 +   # trailing comment\n", std::vector<std::size_t>{}},
      {"0 512 +\n1024 1473536 +\n", std::nullopt},                 // a gap
      {"0 1024 +\n512 1474048 +\n", std::nullopt},                 // an overlap
      {"0 737280 +\n", std::nullopt},                              // another disk's size
      {"0 1474560 +\n1474560 512 +\n", std::nullopt},              // beyond the disk
      {"0 0 +\n0 1474560 +\n", std::nullopt},                      // an empty block
      {"0 1474560 X\n", std::nullopt},                             // an unknown status
      {"0 1474560\n", std::nullopt},                               // a field missing
      {"0 0x1g8000 +\n", std::nullopt},                            // not a number
      {"0 18446744073709551616 +\n", std::nullopt},                // too large
      {"", std::nullopt},                                          // no blocks
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.blocks);
    std::optional<std::string> parsed = ParseRescueMap(status + c.blocks, k1440);
    ASSERT_EQ(parsed.has_value(), c.bad.has_value());
    if (parsed) {
      std::vector<bool> bad;
      for (char sector : *parsed) bad.push_back(sector != '+');
      EXPECT_EQ(bad, Flags(2880, *c.bad));
    }
  }
  EXPECT_FALSE(ParseRescueMap("0 1474560 +\n", k1440)) << "no status line";
  EXPECT_FALSE(ParseRescueMap("0x0 Q\n0 1474560 +\n", k1440)) << "unknown current status";
}

class RescueMapFile : public ImageFolder {};

TEST_F(RescueMapFile, SavedAndLoadedWithTheirMessages) {
  FakeMessageBoxes boxes;
  std::string path = Path("disk.img.map");
  EXPECT_EQ(RescueMapPathOf(Path("disk.img")), path);
  std::vector<bool> flags = Flags(2880, {4, 5, 2000});
  ASSERT_EQ(SaveRescueMap(path, FinishedRescue(flags), 1, boxes), 0);
  EXPECT_EQ(LoadRescueMap(path, k1440, boxes), FinishedRescue(flags).sectors);
  EXPECT_EQ(FileNames(), std::vector<std::string>{"disk.img.map"});

  EXPECT_FALSE(LoadRescueMap(path, 737280, boxes));
  EXPECT_FALSE(LoadRescueMap(Path("missing.map"), k1440, boxes));
  WriteWhole(Path("huge.map"), std::string(5u << 20, '#'));
  EXPECT_FALSE(LoadRescueMap(Path("huge.map"), k1440, boxes));
  EXPECT_EQ(boxes.Ids(), (std::vector<int>{kTextRescueMapUnusable, kTextCannotOpen, kTextRescueMapUnusable}));

  boxes.Clear();
  EXPECT_EQ(SaveRescueMap(dir, FinishedRescue(flags), 1, boxes), -1);  // a folder is no file
  EXPECT_EQ(boxes.Ids(), std::vector<int>{kTextCannotCreate});
}

}  // namespace

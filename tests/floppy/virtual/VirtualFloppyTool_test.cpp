#include "floppy/virtual/VirtualFloppyTool.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "floppy/FloppyFixtures.h"
#include "base/File.h"
#include "floppy/virtual/SectorList.h"
#include "floppy/virtual/VirtualFloppyFile.h"

namespace {

TEST(SectorList, ParsesIndexesAndRanges) {
  struct Case {
    const char* text;
    int64_t limit;
    std::optional<std::vector<int64_t>> sectors;
  } cases[] = {
      {"", 10, std::vector<int64_t>{}},
      {"3", 10, std::vector<int64_t>{3}},
      {"37,100-103", 2880, std::vector<int64_t>{37, 100, 101, 102, 103}},
      {"5,1-2,2", 10, std::vector<int64_t>{1, 2, 5}},
      {"0-0", 1, std::vector<int64_t>{0}},
      {"9", 9, std::nullopt},
      {"3-1", 10, std::nullopt},
      {"1,", 10, std::nullopt},
      {",1", 10, std::nullopt},
      {"1,,2", 10, std::nullopt},
      {"-1", 10, std::nullopt},
      {"1-", 10, std::nullopt},
      {"1-2-3", 10, std::nullopt},
      {"x", 10, std::nullopt},
      {" 1", 10, std::nullopt},
      {"99999999999999999999", 10, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseSectorList(c.text, c.limit), c.sectors) << c.text;

  EXPECT_EQ(FormatSectorList({}), "-");
  EXPECT_EQ(FormatSectorList({37, 100, 101, 102, 103, 200}), "37,100-103,200");
  EXPECT_EQ(FormatSectorList({0, 1}), "0-1");
}

struct ToolTest : ::testing::Test {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "diskelle-vfloppy-tool";
  std::string out, err;

  void SetUp() override {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string PathOf(const char* name) { return (dir / name).string(); }
  int Run(std::vector<std::string> arguments) {
    out.clear();
    err.clear();
    return RunVirtualFloppyTool(arguments, out, err);
  }
  std::vector<uint8_t> Contents(const std::string& path) {
    File file = File::Open(path, FileMode::Read);
    std::vector<uint8_t> bytes(static_cast<std::size_t>(file.Size().value_or(0)));
    bytes.resize(file.Read(bytes.data(), bytes.size()));
    return bytes;
  }
  void Put(const std::string& path, const std::vector<uint8_t>& bytes) {
    File file = File::Open(path, FileMode::Create);
    ASSERT_TRUE(file.Write(bytes.data(), bytes.size()));
    ASSERT_TRUE(file.Close());
  }
};

TEST_F(ToolTest, CreatesEveryFormatWithAnEmptyFileSystem) {
  struct Case {
    const char* format;
    FloppyGeometry geometry;
    DriveKind drive;
    const char* fileSystem;
  } cases[] = {
      {"360", {40, 9}, DriveKind::FiveAndQuarter, "FAT12, 362496 bytes, 362496 free"},
      {"720", {80, 9}, DriveKind::ThreePointFive, "FAT12, 730112 bytes, 730112 free"},
      {"800", {80, 10}, DriveKind::ThreePointFive, "FAT12, 812032 bytes, 812032 free"},
      {"1200", {80, 15}, DriveKind::FiveAndQuarter, "FAT12, 1213952 bytes, 1213952 free"},
      {"1440", {80, 18}, DriveKind::ThreePointFive, "FAT12, 1457664 bytes, 1457664 free"},
      {"1680", {80, 21}, DriveKind::ThreePointFive, "FAT12, 1716224 bytes, 1716224 free"},
  };
  for (const Case& c : cases) {
    std::string path = PathOf("disk.vfd");
    ASSERT_EQ(Run({"create", path, "--format", c.format, "--force"}), kToolDone) << err;
    VirtualFloppyLoad load = LoadVirtualFloppy(path);
    ASSERT_TRUE(load.floppy);
    EXPECT_EQ(load.floppy->geometry, c.geometry);
    EXPECT_EQ(load.floppy->drive, c.drive);
    EXPECT_EQ(load.floppy->slots.size(), static_cast<std::size_t>(c.geometry.TotalSectors()));
    ASSERT_EQ(Run({"show", path}), kToolDone);
    EXPECT_NE(out.find(std::string("file system  ") + c.fileSystem + "\n"), std::string::npos) << out;
  }
}

TEST_F(ToolTest, ShowsFlagsFaultsAndTime) {
  std::string path = PathOf("bad.vfd");
  ASSERT_EQ(
      Run({"create", path, "--format", "1440", "--bad", "37,100-103", "--write-protect", "--no-disk", "--no-format"}),
      kToolDone);
  VirtualFloppy floppy = *LoadVirtualFloppy(path).floppy;
  floppy.slots[(5 * 2 + 1) * 18 + 3].id = 0;  // as a recreation leaves it
  floppy.clockNanoseconds = 48'400'000'000;
  ASSERT_TRUE(SaveVirtualFloppy(path, floppy));
  ASSERT_EQ(Run({"show", path}), kToolDone);
  EXPECT_EQ(out,
            "drive        3.5\"\n"
            "medium       1440 KB: 80 tracks, 18 sectors per track, 2 heads\n"
            "disk         absent\n"
            "write        protected\n"
            "formatting   refused (not supported)\n"
            "unreadable   37,100-103\n"
            "unwritable   37,100-103\n"
            "not found    201\n"
            "ID 0 slots   1\n"
            "file system  FAT12, 1457664 bytes, 1457664 free\n"
            "clock        48.400 s simulated\n");
}

TEST_F(ToolTest, RawImagesGoInAndComeOutInDiskOrder) {
  for (const char* format : {"1440", "1680"}) {  // 1680 KB tracks are interleaved on the medium
    FloppyGeometry geometry = format[1] == '4' ? FloppyGeometry{80, 18} : FloppyGeometry{80, 21};
    std::vector<uint8_t> raw;
    for (int64_t sector = 0; sector < geometry.TotalSectors(); ++sector) {
      std::vector<uint8_t> bytes = SectorPattern(sector, 5);
      raw.insert(raw.end(), bytes.begin(), bytes.end());
    }
    Put(PathOf("in.img"), raw);
    ASSERT_EQ(Run({"create", PathOf("raw.vfd"), "--format", format, "--from", PathOf("in.img"), "--force"}), kToolDone)
        << err;
    VirtualFloppy floppy = *LoadVirtualFloppy(PathOf("raw.vfd")).floppy;
    EXPECT_EQ(SectorsOf(floppy, 37, 1), SectorPattern(37, 5));
    ASSERT_EQ(Run({"dump", PathOf("raw.vfd"), PathOf("out.img")}), kToolDone) << err;
    EXPECT_EQ(Contents(PathOf("out.img")), raw);
  }
  // A sector the drive cannot find is dumped as zeros.
  VirtualFloppy floppy = *LoadVirtualFloppy(PathOf("raw.vfd")).floppy;
  floppy.slots[0].id = 0;
  ASSERT_TRUE(SaveVirtualFloppy(PathOf("raw.vfd"), floppy));
  ASSERT_EQ(Run({"dump", PathOf("raw.vfd"), PathOf("out.img")}), kToolDone);
  std::vector<uint8_t> dumped = Contents(PathOf("out.img"));
  EXPECT_EQ(std::vector<uint8_t>(dumped.begin(), dumped.begin() + 512), std::vector<uint8_t>(512, 0));
  EXPECT_EQ(std::vector<uint8_t>(dumped.begin() + 512, dumped.begin() + 1024), SectorPattern(1, 5));
}

TEST_F(ToolTest, RandomFillLeavesNoFileSystem) {
  ASSERT_EQ(Run({"create", PathOf("r1.vfd"), "--format", "720", "--fill", "random"}), kToolDone);
  ASSERT_EQ(Run({"create", PathOf("r2.vfd"), "--format", "720", "--fill", "random"}), kToolDone);
  EXPECT_NE(LoadVirtualFloppy(PathOf("r1.vfd")).floppy->data, LoadVirtualFloppy(PathOf("r2.vfd")).floppy->data);
  ASSERT_EQ(Run({"show", PathOf("r1.vfd")}), kToolDone);
  EXPECT_NE(out.find("file system  none\n"), std::string::npos) << out;
}

TEST_F(ToolTest, UnusableArgumentsCreateNothing) {
  Put(PathOf("small.img"), std::vector<uint8_t>(1000, 1));
  struct Case {
    std::vector<std::string> arguments;
    int status;
  } cases[] = {
      {{}, kToolUsage},
      {{"make"}, kToolUsage},
      {{"create"}, kToolUsage},
      {{"create", "NEW", "--format", "1000"}, kToolUsage},
      {{"create", "NEW"}, kToolUsage},
      {{"create", "NEW", "--format"}, kToolUsage},
      {{"create", "NEW", "--format", "1440", "--bad", "2880"}, kToolUsage},
      {{"create", "NEW", "--format", "1440", "--bad", "1-"}, kToolUsage},
      {{"create", "NEW", "--format", "1440", "--fill", "ones"}, kToolUsage},
      {{"create", "NEW", "--format", "1440", "--colour"}, kToolUsage},
      {{"create", "NEW", "--format", "1440", "--from", PathOf("small.img")}, kToolFailed},
      {{"create", "NEW", "--format", "1440", "--from", PathOf("none.img")}, kToolFailed},
      {{"show"}, kToolUsage},
      {{"show", "NEW", "extra"}, kToolUsage},
      {{"show", "NEW"}, kToolFailed},
      {{"dump", "NEW"}, kToolUsage},
      {{"dump", "NEW", PathOf("out.img")}, kToolFailed},
  };
  for (Case& c : cases) {
    for (std::string& argument : c.arguments) {
      if (argument == "NEW") argument = PathOf("new.vfd");
    }
    EXPECT_EQ(Run(c.arguments), c.status) << (c.arguments.empty() ? "" : c.arguments.back());
    EXPECT_FALSE(err.empty());
    EXPECT_FALSE(FileExists(PathOf("new.vfd")));
    EXPECT_FALSE(FileExists(PathOf("out.img")));
  }
  Run({});
  EXPECT_NE(err.find("37,100-103"), std::string::npos);  // the usage explains the list syntax
}

TEST_F(ToolTest, AnExistingFileIsReplacedOnlyWhenAsked) {
  std::string path = PathOf("keep.vfd");
  ASSERT_EQ(Run({"create", path, "--format", "360"}), kToolDone);
  std::vector<uint8_t> before = Contents(path);
  EXPECT_EQ(Run({"create", path, "--format", "1440"}), kToolFailed);
  EXPECT_EQ(Contents(path), before);
  EXPECT_EQ(Run({"create", path, "--format", "1440", "--force"}), kToolDone);
  EXPECT_EQ(LoadVirtualFloppy(path).floppy->geometry, (FloppyGeometry{80, 18}));

  Put(path, {'n', 'o', 'p', 'e'});
  EXPECT_EQ(Run({"show", path}), kToolFailed);
  EXPECT_NE(err.find("not a virtual floppy file"), std::string::npos) << err;
}

}  // namespace

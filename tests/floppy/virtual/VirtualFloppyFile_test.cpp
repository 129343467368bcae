#include "floppy/virtual/VirtualFloppyFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "floppy/FloppyFixtures.h"
#include "base/File.h"

namespace {

VirtualFloppy Eventful() {
  VirtualFloppy floppy = PatternedFloppy({80, 21});
  floppy.writeProtected = true;
  floppy.refusesFormat = true;
  floppy.clockNanoseconds = 0x123456789ALL;
  floppy.headCylinder = 79;
  floppy.slots[5] = {0, kSlotUnreadable};
  floppy.slots[6].faults = kSlotUnwritable | kSlotNoAddressMark;
  return floppy;
}

TEST(VirtualFloppyFile, RoundTripsEveryField) {
  for (VirtualFloppy floppy : {Eventful(), NewVirtualFloppy({40, 9}), NewVirtualFloppy({1, 1})}) {
    std::string problem;
    std::optional<VirtualFloppy> back = DecodeVirtualFloppy(EncodeVirtualFloppy(floppy), problem);
    ASSERT_TRUE(back) << problem;
    EXPECT_EQ(*back, floppy);
  }
  VirtualFloppy absent = NewVirtualFloppy({80, 9});
  absent.diskAbsent = true;
  std::string problem;
  EXPECT_TRUE(DecodeVirtualFloppy(EncodeVirtualFloppy(absent), problem)->diskAbsent);
}

TEST(VirtualFloppyFile, LayoutOfTheSmallestFloppy) {
  VirtualFloppy floppy = NewVirtualFloppy({1, 1});
  floppy.drive = DriveKind::FiveAndQuarter;
  floppy.diskAbsent = true;
  floppy.clockNanoseconds = 0x0102030405;
  floppy.headCylinder = 0;
  floppy.slots[1] = {0x0203, kSlotUnreadable | kSlotNoAddressMark};
  floppy.data[512] = 0xAB;
  std::vector<uint8_t> bytes = EncodeVirtualFloppy(floppy);
  ASSERT_EQ(bytes.size(), 64u + 2 * 4 + 2 * 512);
  const std::vector<uint8_t> header = {
      'D',  'K',  'V',  'F',  'L',  'O',  'P', 'Y',
      1,    0,    64,   0,    2,    0x02, 0,   0,  // magic, version, size, drive, flags
      1,    0,    0,    0,    1,    0,    0,   0,
      0x05, 0x04, 0x03, 0x02, 0x01, 0,    0,   0,  // tracks, sectors, clock
      0,    0,    0,    0,                         // head cylinder
  };
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 36), header);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 64, bytes.begin() + 72),
            (std::vector<uint8_t>{1, 0, 0, 0, 0x03, 0x02, 0x05, 0}));  // ID and faults per slot
  EXPECT_EQ(bytes[72 + 512], 0xAB);
}

TEST(VirtualFloppyFile, DamagedFilesAreRefused) {
  const std::vector<uint8_t> good = EncodeVirtualFloppy(NewVirtualFloppy({2, 3}));
  auto with = [&good](std::size_t at, uint8_t value) {
    std::vector<uint8_t> bytes = good;
    bytes[at] = value;
    return bytes;
  };
  std::vector<uint8_t> longer = good;
  longer.push_back(0);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 64)},
      {"one byte short", std::vector<uint8_t>(good.begin(), good.end() - 1)},
      {"one byte long", longer},
      {"magic", with(0, 'X')},
      {"newer version", with(8, 2)},
      {"header size", with(10, 65)},
      {"drive kind 0", with(12, 0)},
      {"drive kind 3", with(12, 3)},
      {"unknown flag", with(13, 0x08)},
      {"reserved after flags", with(15, 1)},
      {"no tracks", with(16, 0)},
      {"101 tracks", with(16, 101)},
      {"tracks in the high byte", with(19, 1)},
      {"no sectors", with(20, 0)},
      {"101 sectors", with(20, 101)},
      {"negative clock", with(31, 0x80)},
      {"head beyond the drive", with(32, 100)},
      {"reserved header bytes", with(63, 1)},
      {"unknown sector fault", with(64 + 2, 0x08)},
      {"slot reserved byte", with(64 + 3, 1)},
  };
  for (const Case& c : cases) {
    std::string problem;
    EXPECT_FALSE(DecodeVirtualFloppy(c.bytes, problem)) << c.name;
    EXPECT_FALSE(problem.empty()) << c.name;
  }
  std::string problem;
  EXPECT_TRUE(DecodeVirtualFloppy(good, problem));
  EXPECT_TRUE(DecodeVirtualFloppy(with(32, 99), problem));  // the head may rest beyond the medium
}

struct VirtualFloppyFiles : ::testing::Test {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "diskelle-virtual-floppy-file";
  void SetUp() override {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string PathOf(const char* name) { return (dir / name).string(); }
};

TEST_F(VirtualFloppyFiles, SavedOverTheOldFileWithNothingLeftBeside) {
  std::string path = PathOf("a.vfd");
  ASSERT_TRUE(SaveVirtualFloppy(path, NewVirtualFloppy({80, 9})));
  VirtualFloppy changed = Eventful();
  ASSERT_TRUE(SaveVirtualFloppy(path, changed));
  VirtualFloppyLoad load = LoadVirtualFloppy(path);
  ASSERT_TRUE(load.floppy) << load.problem;
  EXPECT_EQ(*load.floppy, changed);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"a.vfd"});

  EXPECT_FALSE(SaveVirtualFloppy(PathOf("missing/a.vfd"), changed));
  EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

TEST_F(VirtualFloppyFiles, LoadingTellsMissingFromDamaged) {
  VirtualFloppyLoad missing = LoadVirtualFloppy(PathOf("none.vfd"));
  EXPECT_FALSE(missing.floppy);
  EXPECT_TRUE(missing.missing);

  std::string path = PathOf("short.vfd");
  std::vector<uint8_t> bytes = EncodeVirtualFloppy(NewVirtualFloppy({80, 18}));
  File file = File::Open(path, FileMode::Create);
  ASSERT_TRUE(file.Write(bytes.data(), bytes.size() - 512));
  ASSERT_TRUE(file.Close());
  VirtualFloppyLoad damaged = LoadVirtualFloppy(path);
  EXPECT_FALSE(damaged.floppy);
  EXPECT_FALSE(damaged.missing);
  EXPECT_NE(damaged.problem.find("size"), std::string::npos) << damaged.problem;

  // A file larger than any floppy is refused before it is read.
  std::string huge = PathOf("huge.vfd");
  File::Open(huge, FileMode::Create).Close();
  ASSERT_TRUE(TruncateFile(huge, 64ull << 20));
  VirtualFloppyLoad tooLarge = LoadVirtualFloppy(huge);
  EXPECT_FALSE(tooLarge.floppy);
  EXPECT_FALSE(tooLarge.missing);

  EXPECT_FALSE(LoadVirtualFloppy(dir.string()).floppy);  // a folder
}

}  // namespace

// The NT device path driving the simulated drive, as the track engine will drive it.
#include <gtest/gtest.h>

#include "floppy/FloppyFixtures.h"
#include "filesystem/Fat12.h"
#include "floppy/nt/NtFloppyDevice.h"
#include "floppy/virtual/SimulatedNtSyscalls.h"
#include "support/FakeMessageBoxes.h"

namespace {

struct DeviceOnDrive : ::testing::Test {
  std::shared_ptr<MemoryFloppyStore> store = std::make_shared<MemoryFloppyStore>(PatternedFloppy({80, 18}));
  SimulatedNtSyscalls os;
  AppSettings settings;
  FakeMessageBoxes boxes;
  int32_t imageSectorsPerTrack = 18;
  std::unique_ptr<NtFloppyDevice> device;

  void SetUp() override { os.Attach('A', store); }
  NtFloppyDevice& Open(DeviceAccess access = DeviceAccess::ReadWrite) {
    device = std::make_unique<NtFloppyDevice>(os, DeviceContext{settings, imageSectorsPerTrack, boxes});
    EXPECT_EQ(device->Open(access), 0);
    return *device;
  }
  void Use(VirtualFloppy floppy) { store->floppy = std::move(floppy); }
};

TEST_F(DeviceOnDrive, ReadingAWholeDiskTakesTheTimeOfItsRevolutionsAndSteps) {
  store->floppy.clockNanoseconds = 0;
  NtFloppyDevice& drive = Open(DeviceAccess::Read);
  FloppyGeometry disk;
  ASSERT_EQ(drive.GetDiskGeometry(disk), 0);
  drive.Close();
  Open(DeviceAccess::Read);
  std::vector<uint8_t> side(18 * 512);
  for (int track = 0; track < 80; ++track) {
    for (int head = 0; head < 2; ++head) {
      uint32_t transferred = 0;
      ASSERT_EQ(device->Read(side.data(), 18 * 512, transferred, disk.LinearSector(track, head, 0), 18), 0);
      ASSERT_EQ(side, SectorsOf(store->floppy, disk.LinearSector(track, head, 0), 18));
    }
  }
  device->Close();
  // Spin-up, geometry (1 revolution on track 0), spin-up, then per track two revolutions and, after the first,
  // 18 ms of stepping plus the rest of a revolution: 0.5 + 0.2 + 0.5 + 0.4 + 79 x 0.6 s.
  EXPECT_EQ(store->floppy.clockNanoseconds, int64_t{49'000'000'000});
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(DeviceOnDrive, EmergencyReadingStepsOverAnUnreadableSector) {
  MarkSector(store->floppy, 37, kSlotUnreadable);
  NtFloppyDevice& drive = Open(DeviceAccess::Read);
  std::vector<uint8_t> side(18 * 512);
  uint32_t transferred = 0;
  drive.MovePointer(36 * 512);
  EXPECT_EQ(drive.Read(side.data(), 18 * 512, transferred, 36, 18), -1);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text,
            "不能读取软盘的磁轨 1，磁头 0 (错误: 0x0017)。\n请在 \"紧急读取模式\" 下读取该软盘。");

  boxes.Clear();
  settings.m_emergency = 1;
  std::vector<uint8_t> sector(512);
  EXPECT_EQ(drive.Read(sector.data(), 512, transferred, 36, 1), 0);
  EXPECT_EQ(drive.Read(sector.data(), 512, transferred, 37, 1), -1);
  drive.MovePointer(512);  // the failed read left the pointer on sector 37
  EXPECT_EQ(drive.Read(sector.data(), 512, transferred, 38, 1), 0);
  EXPECT_EQ(sector, SectorPattern(38));
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(DeviceOnDrive, RecreatedBadSectorsOfAnInterleavedDiskHitOnlyTheFlaggedSector) {
  Use(PatternedFloppy({80, 21}));
  settings.m_formatDisk = settings.m_recreateBad = 1;
  imageSectorsPerTrack = 21;
  const FloppyGeometry image{80, 21};
  const int64_t flagged = image.LinearSector(5, 1, 3);
  std::vector<uint32_t> flags(static_cast<std::size_t>(image.TotalSectors()), 0);
  flags[static_cast<std::size_t>(flagged)] = 1;

  NtFloppyDevice& drive = Open();
  for (int track = 0; track < 80; ++track) {
    for (int head = 0; head < 2; ++head) {
      int expected = track == 5 && head == 1 ? -2 : 0;
      ASSERT_EQ(drive.FormatTrack(track, head, image, flags), expected) << track << "/" << head;
    }
  }
  // Writing the side sector by sector: only the flagged sector refuses, silently.
  drive.MovePointer(static_cast<int32_t>(image.LinearSector(5, 1, 0) * 512));
  for (int sector = 0; sector < 21; ++sector) {
    int64_t index = image.LinearSector(5, 1, sector);
    std::vector<uint8_t> data = SectorPattern(index, 1);
    uint32_t transferred = 0;
    int result = drive.Write(data.data(), 512, transferred, index, 1);
    EXPECT_EQ(result, index == flagged ? -1 : 0) << sector;
    if (result != 0) drive.MovePointer(512);
  }
  drive.Close();
  EXPECT_TRUE(boxes.Boxes().empty());
  for (int sector = 0; sector < 21; ++sector) {
    int64_t index = image.LinearSector(5, 1, sector);
    if (index == flagged) {
      EXPECT_EQ(store->floppy.SlotOfSector(index), -1);
    } else {
      ASSERT_GE(store->floppy.SlotOfSector(index), 0) << sector;
      EXPECT_EQ(SectorsOf(store->floppy, index, 1), SectorPattern(index, 1)) << sector;
    }
  }
}

TEST_F(DeviceOnDrive, RefusalsOfTheDriveBecomeTheirMessages) {
  struct Case {
    const char* name;
    std::function<void(VirtualFloppy&)> change;
    FloppyGeometry image;
    int id;
    const char* text;
  } cases[] = {
      {"write protected", [](VirtualFloppy& f) { f.writeProtected = true; }, {80, 18}, 57668, "软盘有防写入保护。"},
      {"no disk", [](VirtualFloppy& f) { f.diskAbsent = true; }, {80, 18}, 57711, "驱动器中没有软盘。"},
      {"USB drive",
       [](VirtualFloppy& f) { f.refusesFormat = true; },
       {80, 18},
       57721,
       "软盘驱动器不支持所请求的命令。\n你正在使用的可能是一个不支持所请求命令的 USB 软盘驱动器。"},
      {"5.25-inch format in a 3.5-inch drive",
       [](VirtualFloppy&) {},
       {80, 15},
       57706,
       "不能格式化软盘的磁轨 0，磁头 0 (错误: 0x0057)。"},
      {"format outside the table",
       [](VirtualFloppy&) {},
       {80, 11},
       57706,
       "不能格式化软盘的磁轨 0，磁头 0 (错误: 0x0057)。"},
  };
  for (const Case& c : cases) {
    boxes.Clear();
    VirtualFloppy floppy = PatternedFloppy({80, 18});
    c.change(floppy);
    Use(floppy);
    NtFloppyDevice& drive = Open();
    EXPECT_EQ(drive.FormatTrack(0, 0, c.image, {}), -1) << c.name;
    ASSERT_EQ(boxes.Boxes().size(), 1u) << c.name;
    EXPECT_EQ(boxes.Boxes()[0].textId, c.id) << c.name;
    EXPECT_EQ(boxes.Boxes()[0].text, c.text) << c.name;
    drive.Close();
  }

  boxes.Clear();
  store->floppy.diskAbsent = true;
  NtFloppyDevice& drive = Open();
  FloppyGeometry disk;
  EXPECT_EQ(drive.GetDiskGeometry(disk), -1);
  EXPECT_EQ(boxes.Ids(), std::vector<int>{57711});
}

TEST_F(DeviceOnDrive, AFormattedDiskReportsItsNewGeometryAndVerifies) {
  const FloppyGeometry image{80, 9};
  imageSectorsPerTrack = 9;
  NtFloppyDevice& drive = Open();
  for (int track = 0; track < 80; ++track) {
    for (int head = 0; head < 2; ++head) {
      ASSERT_EQ(drive.FormatTrack(track, head, image, {}), 0);
      ASSERT_EQ(drive.Verify(9 * 512, image.LinearSector(track, head, 0), 9), 0);
    }
  }
  FloppyGeometry disk;
  ASSERT_EQ(drive.GetDiskGeometry(disk), 0);
  EXPECT_EQ(disk, image);
  drive.Close();

  // A side with a sector formatted as bad does not verify.
  store->floppy.slots[static_cast<std::size_t>(image.LinearSector(2, 1, 4))].id = 0;
  Open();
  device->MovePointer(static_cast<int32_t>(image.LinearSector(2, 1, 0) * 512));
  EXPECT_EQ(device->Verify(9 * 512, image.LinearSector(2, 1, 0), 9), -1);
  EXPECT_EQ(boxes.Boxes().back().text, "不能验证软盘的磁轨 2，磁头 1 (错误: 0x001B)。\n你必须更换该软盘。");
}

TEST_F(DeviceOnDrive, VolumeSpaceOfABlankDisk) {
  std::vector<uint8_t> volume = BlankFat12Volume({80, 18});
  for (int64_t sector = 0; sector < 2880; ++sector) {
    std::copy_n(volume.begin() + sector * 512, 512, store->floppy.SlotData(store->floppy.SlotOfSector(sector)));
  }
  NtFloppyDevice unopened(os, {settings, 18, boxes});  // the query needs no handle
  VolumeSpace space = unopened.QueryVolumeSpace();
  EXPECT_TRUE(space.known);
  EXPECT_EQ(space.totalBytes, 1457664);
  EXPECT_EQ(space.freeBytes, 1457664);
}

}  // namespace

#include "floppy/virtual/SimulatedDrive.h"

#include <gtest/gtest.h>

#include "floppy/FloppyFixtures.h"
#include "base/Win32Codes.h"
#include "floppy/virtual/DriveTiming.h"

namespace {

constexpr int64_t kMs = 1'000'000;
constexpr int64_t kRevolution = 200 * kMs;

TEST(DriveTiming, SpindleHeadAndSlots) {
  EXPECT_EQ(RevolutionNanoseconds({80, 18}), kRevolution);
  EXPECT_EQ(RevolutionNanoseconds({40, 9}), kRevolution);
  EXPECT_EQ(RevolutionNanoseconds({80, 21}), kRevolution);
  EXPECT_EQ(RevolutionNanoseconds({80, 15}), 166'666'667);  // 360 rpm

  struct Seek {
    int from, to;
    int64_t nanoseconds;
  } seeks[] = {{0, 0, 0}, {0, 1, 18 * kMs}, {1, 0, 18 * kMs}, {79, 0, 252 * kMs}, {10, 15, 30 * kMs}};
  for (const Seek& s : seeks) EXPECT_EQ(SeekNanoseconds(s.from, s.to), s.nanoseconds) << s.from << "->" << s.to;

  struct Wait {
    int64_t clock;
    int position, slots;
    int64_t nanoseconds;
  } waits[] = {
      {0, 0, 18, 0},
      {1, 0, 18, kRevolution - 1},
      {0, 9, 18, 100 * kMs},
      {5 * kRevolution + 50 * kMs, 9, 18, 50 * kMs},
      {5 * kRevolution + 150 * kMs, 9, 18, 150 * kMs},
      {0, 1, 21, 9'523'809},
  };
  for (const Wait& w : waits) {
    EXPECT_EQ(WaitForSlotNanoseconds(w.clock, kRevolution, w.position, w.slots), w.nanoseconds) << w.clock;
  }

  EXPECT_EQ(PhysicalPassNanoseconds({80, 18}), 160 * kRevolution + 79 * 18 * kMs);
  EXPECT_EQ(PhysicalPassNanoseconds({40, 9}), 80 * kRevolution + 39 * 18 * kMs);
  EXPECT_EQ(PhysicalPassNanoseconds({80, 15}), 160 * int64_t{166'666'667} + 79 * 18 * kMs);
  EXPECT_EQ(PhysicalPassNanoseconds({0, 18}), 0);
}

struct DriveTest : ::testing::Test {
  VirtualFloppy floppy = PatternedFloppy({80, 18});
  SimulatedDrive drive{floppy};
  std::vector<uint8_t> buffer = std::vector<uint8_t>(64 * kSectorBytes, 0);
};

TEST_F(DriveTest, TrackSidesStreamAtOneRevolutionEachPlusStepping) {
  ASSERT_EQ(drive.ReadSectors(0, 18, buffer.data()), 0u);
  EXPECT_EQ(floppy.clockNanoseconds, kRevolution);
  ASSERT_EQ(drive.ReadSectors(18, 18, buffer.data()), 0u);  // the other head: no step, no wait
  EXPECT_EQ(floppy.clockNanoseconds, 2 * kRevolution);
  // Track 1: 18 ms of stepping, then the rest of the revolution until sector 1 comes round.
  ASSERT_EQ(drive.ReadSectors(36, 18, buffer.data()), 0u);
  EXPECT_EQ(floppy.clockNanoseconds, 4 * kRevolution);
  EXPECT_EQ(floppy.headCylinder, 1);
  EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 18 * kSectorBytes), SectorsOf(floppy, 36, 18));
}

TEST_F(DriveTest, InterleavedSectorsTakeAlmostTwoRevolutionsInIdOrder) {
  floppy = PatternedFloppy({80, 21});
  ASSERT_EQ(drive.ReadSectors(0, 21, buffer.data()), 0u);
  // IDs 1..11 sit at the even positions, 12..21 at the odd ones: the second pass ends after position 19.
  EXPECT_EQ(floppy.clockNanoseconds, kRevolution + kRevolution * 20 / 21);
  EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 21 * kSectorBytes), SectorsOf(floppy, 0, 21));
}

TEST_F(DriveTest, FasterSpindleForTheFiveAndAQuarterInchHighDensityFormat) {
  floppy = PatternedFloppy({80, 15});
  ASSERT_EQ(drive.ReadSectors(0, 15, buffer.data()), 0u);
  EXPECT_EQ(floppy.clockNanoseconds, 166'666'667);
}

TEST_F(DriveTest, FailingSectorsCostThreeMoreRevolutions) {
  MarkSector(floppy, 3, kSlotUnreadable);
  MarkSector(floppy, 5, kSlotUnwritable);
  floppy.slots[7].id = 0;  // formatted as bad
  struct Case {
    bool write;
    int64_t first;
    uint32_t count;
    uint32_t error;
    int64_t nanoseconds;
  } cases[] = {
      {false, 0, 5, kErrorCrc, kRevolution * 4 / 18 + 3 * kRevolution},
      {true, 3, 1, 0, kRevolution * 4 / 18},  // an unreadable sector still takes data
      {true, 5, 1, kErrorWriteFault, kRevolution * 6 / 18 + 3 * kRevolution},
      {false, 5, 1, 0, kRevolution * 6 / 18},
      {false, 7, 1, kErrorSectorNotFound, 4 * kRevolution},  // a whole revolution of looking, then retries
      {true, 7, 1, kErrorSectorNotFound, 4 * kRevolution},
  };
  const std::vector<uint8_t> before = SectorsOf(floppy, 0, 3);
  for (const Case& c : cases) {
    floppy.clockNanoseconds = 0;
    std::vector<uint8_t> data = SectorPattern(99);
    std::vector<uint8_t> read(c.count * kSectorBytes, 0);
    uint32_t error =
        c.write ? drive.WriteSectors(c.first, c.count, data.data()) : drive.ReadSectors(c.first, c.count, read.data());
    EXPECT_EQ(error, c.error) << c.first;
    EXPECT_EQ(floppy.clockNanoseconds, c.nanoseconds) << c.first;
    // The sectors before a failing one were transferred.
    if (c.count == 5) {
      EXPECT_EQ(std::vector<uint8_t>(read.begin(), read.begin() + 3 * kSectorBytes), before);
    }
  }
  EXPECT_EQ(SectorsOf(floppy, 3, 1), SectorPattern(99));
  EXPECT_NE(SectorsOf(floppy, 5, 1), SectorPattern(99));
}

TEST_F(DriveTest, StateRefusesBeforeAnythingMoves) {
  struct Case {
    bool absent, writeProtected;
    uint32_t read, write, format, sense;
  } cases[] = {
      {true, false, kErrorNotReady, kErrorNotReady, kErrorNotReady, kErrorNotReady},
      {true, true, kErrorNotReady, kErrorNotReady, kErrorNotReady, kErrorNotReady},
      {false, true, 0, kErrorWriteProtect, kErrorWriteProtect, 0},
  };
  for (const Case& c : cases) {
    floppy = PatternedFloppy({80, 18});
    floppy.diskAbsent = c.absent;
    floppy.writeProtected = c.writeProtected;
    VirtualFloppy before = floppy;
    EXPECT_EQ(drive.WriteSectors(0, 1, buffer.data()), c.write);
    SideFormat side{{80, 18}, 0, 0, {1, 2, 3}, 0x6C, 12500};
    EXPECT_EQ(drive.FormatSide(side), c.format);
    EXPECT_EQ(floppy, before);  // nothing written, no time spent
    EXPECT_EQ(drive.ReadSectors(0, 1, buffer.data()), c.read);
    NtDiskGeometry reply;
    EXPECT_EQ(drive.SenseMedium(reply), c.sense);
  }
  EXPECT_EQ(drive.ReadSectors(2879, 2, buffer.data()), static_cast<uint32_t>(kErrorInvalidParameter));
  EXPECT_EQ(drive.ReadSectors(-1, 1, buffer.data()), static_cast<uint32_t>(kErrorInvalidParameter));
}

TEST_F(DriveTest, SensingReadsTrackZero) {
  floppy.headCylinder = 40;
  floppy.clockNanoseconds = 0;
  NtDiskGeometry reply;
  ASSERT_EQ(drive.SenseMedium(reply), 0u);
  EXPECT_EQ(reply.cylinders, 80);
  EXPECT_EQ(reply.mediaType, kMediaF3_1Pt44_512);
  EXPECT_EQ(reply.tracksPerCylinder, 2u);
  EXPECT_EQ(reply.sectorsPerTrack, 18u);
  EXPECT_EQ(reply.bytesPerSector, 512u);
  EXPECT_EQ(floppy.clockNanoseconds, SeekNanoseconds(40, 0) + kRevolution);

  for (int position = 0; position < 18; ++position) floppy.slots[position].faults = kSlotNoAddressMark;
  EXPECT_EQ(drive.SenseMedium(reply), kErrorUnrecognizedMedia);
}

TEST_F(DriveTest, FormattingLaysOutOneSideInOneRevolution) {
  MarkSector(floppy, 20, kSlotUnreadable);
  floppy.clockNanoseconds = 50 * kMs;
  std::vector<uint16_t> ids = {1, 2, 3, 0, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
  ASSERT_EQ(drive.FormatSide({{80, 18}, 0, 1, ids, 0x6C, 12500}), 0u);
  EXPECT_EQ(floppy.clockNanoseconds, 2 * kRevolution);  // to the index hole, then one revolution
  for (int position = 0; position < 18; ++position) {
    const SectorSlot& slot = floppy.slots[static_cast<std::size_t>(18 + position)];
    EXPECT_EQ(slot.id, ids[static_cast<std::size_t>(position)]);
    EXPECT_EQ(slot.faults, position == 2 ? kSlotUnreadable : 0) << position;  // the surface keeps its damage
    EXPECT_EQ(floppy.SlotData(18 + position)[0], kFormatFillByte);
  }
  EXPECT_EQ(drive.ReadSectors(21, 1, buffer.data()), static_cast<uint32_t>(kErrorSectorNotFound));
  EXPECT_EQ(SectorsOf(floppy, 0, 18), SectorsOf(PatternedFloppy({80, 18}), 0, 18));  // head 0 untouched
}

TEST_F(DriveTest, SectorsThatDoNotFitOnTheTrackAreLost) {
  floppy = PatternedFloppy({80, 21});
  std::vector<uint16_t> ids = FormatSectorIds({80, 21});
  // 21 sectors with 46-byte gaps need 12,726 bytes; a high-density track holds 12,500.
  ASSERT_EQ(drive.FormatSide({{80, 21}, 0, 0, ids, 46, 12500}), 0u);
  for (int position = 0; position < 21; ++position) {
    EXPECT_EQ(floppy.slots[static_cast<std::size_t>(position)].faults, position == 20 ? kSlotNoAddressMark : 0);
  }
  ASSERT_EQ(drive.FormatSide({{80, 21}, 0, 0, ids, 12, 12500}), 0u);
  for (int position = 0; position < 21; ++position)
    EXPECT_EQ(floppy.slots[static_cast<std::size_t>(position)].faults, 0);
}

TEST_F(DriveTest, FormattingToAnotherGeometryLaysOutTheWholeMediumAnew) {
  MarkSector(floppy, 2 * 18 * 10, kSlotUnreadable);  // track 10, head 0, first slot: the arc [0, 1/18)
  ASSERT_EQ(drive.FormatSide({{80, 21}, 0, 0, FormatSectorIds({80, 21}), 12, 12500}), 0u);
  EXPECT_EQ(floppy.geometry, (FloppyGeometry{80, 21}));
  EXPECT_EQ(floppy.data.size(), 80u * 2 * 21 * 512);
  EXPECT_GE(floppy.SlotOfSector(0), 0);
  EXPECT_EQ(floppy.SlotOfSector(21), -1);  // not formatted yet at the new geometry
  // The damaged arc now lies under slots 0 and 1 of 21 ([0, 1/21) and [1/21, 2/21)).
  int64_t first = floppy.geometry.LinearSector(10, 0, 0);
  EXPECT_EQ(floppy.slots[static_cast<std::size_t>(first)].faults, kSlotUnreadable | kSlotNoAddressMark);
  EXPECT_EQ(floppy.slots[static_cast<std::size_t>(first + 1)].faults, kSlotUnreadable | kSlotNoAddressMark);
  EXPECT_EQ(floppy.slots[static_cast<std::size_t>(first + 2)].faults, kSlotNoAddressMark);

  SideFormat outside{{80, 21}, 80, 0, {}, 12, 12500};
  EXPECT_EQ(drive.FormatSide(outside), static_cast<uint32_t>(kErrorInvalidParameter));
  outside = {{101, 21}, 0, 0, {}, 12, 12500};
  EXPECT_EQ(drive.FormatSide(outside), static_cast<uint32_t>(kErrorInvalidParameter));
}

TEST(MediaProfiles, FormatRequestsByMediaType) {
  struct Case {
    uint32_t mediaType;
    DriveKind drive;
    int cylinders, sectors;
  } cases[] = {
      {kMediaF5_360_512, DriveKind::FiveAndQuarter, 40, 9},
      {kMediaF3_720_512, DriveKind::ThreePointFive, 80, 9},
      {kMediaF5_1Pt2_512, DriveKind::FiveAndQuarter, 80, 15},
      {kMediaF3_1Pt44_512, DriveKind::ThreePointFive, 80, 18},
  };
  for (const Case& c : cases) {
    const MediaProfile* profile = FindMediaProfile(c.mediaType);
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(profile->drive, c.drive);
    EXPECT_EQ(profile->cylinders, c.cylinders);
    EXPECT_EQ(profile->sectorsPerTrack, c.sectors);
    // The driver's own layout always fits its track.
    EXPECT_LE(c.sectors * (kSectorRecordBytes + profile->gapLength), profile->trackBytes);
  }
  EXPECT_EQ(FindMediaProfile(kMediaUnknown), nullptr);
  EXPECT_EQ(FindMediaProfile(3), nullptr);
}

}  // namespace

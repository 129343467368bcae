// Rescuing a damaged disk over several reads: the map beside every emergency image, resuming into that
// image (another drive, another day), and interrupted resumes that leave image and map as they were.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <random>

#include "app/Application.h"
#include "app/DiskReadJob.h"

#include "base/BadSectorMarker.h"
#include "base/Format.h"
#include "base/Texts.h"
#include "image/Integrity.h"
#include "floppy/FloppyFixtures.h"
#include "floppy/nt/NtFloppyDevice.h"
#include "floppy/virtual/SimulatedNtSyscalls.h"
#include "image/RescueMap.h"
#include "settings/HiveRegistry.h"
#include "support/FakeApplicationFront.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"
#include "support/MapfileReader.h"

namespace {

// Stands still unless a test moves it.
class SettableClock : public IClock {
 public:
  int64_t NowSeconds() override { return now; }
  int64_t now = 1000;
};

// Presses Cancel at an exact event, as the worker posts it: the simulated drive outruns any reader of the queue.
class CancellingFront : public FakeApplicationFront, public IJobEvents {
 public:
  IJobEvents& JobEvents() override { return *this; }
  void Post(JobEvent event) override {
    if (++posted_ == cancelAt && progress) progress->cancelRequested = true;
    if (onEvent) onEvent(posted_);
    events.Post(event);
  }

  OperationProgress* progress = nullptr;
  int cancelAt = -1;
  std::function<void(int)> onEvent;

 private:
  int posted_ = 0;
};

class Rescue : public ImageFolder {
 protected:
  void Insert(VirtualFloppy floppy) {
    store = std::make_shared<MemoryFloppyStore>(std::move(floppy));
    auto os = std::make_unique<SimulatedNtSyscalls>();
    os->Attach('A', store);
    devices = std::make_unique<NtFloppyDeviceFactory>(std::move(os));
  }

  // An emergency read of drive A: into path as the operation runs it.
  OperationOutcome Read(const std::string& path, ResumePolicy policy, int cancelAfterEvents = -1,
                        std::function<void(int)> onEvent = {}) {
    ApplicationServices services{registry, boxes, *devices, clock, PlatformInfo{5, 0, 0}, ""};
    CancellingFront front;
    front.onEvent = std::move(onEvent);
    Application application(services, front);
    front.progress = &application.progress;
    front.cancelAt = cancelAfterEvents;
    application.settings.m_emergency = emergency;
    application.settings.m_suppress = suppress;
    application.settings.m_retryPasses = retryPasses;
    application.resumePolicy = policy;
    application.batchMode = true;
    application.currentImage.SetTarget(path, boxes);
    application.currentImage.m_description = "rescue";
    OperationOutcome outcome = application.ReadFloppyToImage();
    reported = application.progress.badSectorOffsets;
    report = front.reports.empty() ? BadSectorReportModel() : front.reports.back();
    return outcome;
  }

  std::vector<int64_t> MapBadSectors(const std::string& path) {
    std::string why;
    std::optional<Mapfile> map = ReadMapfile(ReadWhole(RescueMapPathOf(path)), &why);
    EXPECT_TRUE(map) << why;
    if (!map) return {};
    EXPECT_EQ(map->currentStatus, '+');
    return BadSectorsOfMapfile(*map);
  }

  // The image's data as the disk holds it, with markers for the sectors named.
  static std::string Expected(const VirtualFloppy& floppy, const std::vector<int64_t>& markers) {
    std::vector<uint8_t> bytes = SectorsOf(floppy, 0, static_cast<int>(floppy.geometry.TotalSectors()));
    for (int64_t sector : markers) FillBadSectorMarker(bytes.data() + sector * kSectorBytes);
    return std::string(bytes.begin(), bytes.end());
  }

  static std::string Data(const std::string& image, const FloppyGeometry& geometry) {
    return ReadWhole(image).substr(0, static_cast<std::size_t>(geometry.TotalBytes()));
  }

  MemoryRegistry registry;
  FakeMessageBoxes boxes;
  SettableClock clock;
  uint32_t emergency = 1;
  uint32_t suppress = 1;
  uint32_t retryPasses = 0;
  BadSectorReportModel report;
  std::vector<uint32_t> reported;
  std::shared_ptr<MemoryFloppyStore> store;
  std::unique_ptr<IFloppyDeviceFactory> devices;
};

VirtualFloppy DamagedFloppy(const FloppyGeometry& geometry, const std::vector<int64_t>& bad) {
  VirtualFloppy floppy = PatternedFloppy(geometry);
  for (int64_t sector : bad) MarkSector(floppy, sector, kSlotUnreadable);
  return floppy;
}

TEST_F(Rescue, TheMapBesideAnEmergencyImageNamesExactlyItsBadSectors) {
  struct Case {
    FloppyGeometry geometry;
    std::vector<int64_t> bad;
  } cases[] = {
      {{80, 18}, {}}, {{80, 18}, {37}}, {{80, 18}, {0, 1, 2, 100, 101, 2879}}, {{40, 9}, {17, 18, 700}}, {{80, 21}, {5, 3000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bad));
    Insert(DamagedFloppy(c.geometry, c.bad));
    std::string path = Path("rescued.img");
    RemoveFile(RescueMapPathOf(path));  // a new rescue, not the one before
    ASSERT_EQ(Read(path, ResumePolicy::Never), OperationOutcome::Succeeded);
    EXPECT_EQ(MapBadSectors(path), c.bad);
    std::vector<uint32_t> offsets;
    for (int64_t sector : c.bad) offsets.push_back(static_cast<uint32_t>(sector * kSectorBytes));
    EXPECT_EQ(reported, offsets);
    EXPECT_EQ(Data(path, c.geometry), Expected(store->floppy, c.bad));
  }
  EXPECT_TRUE(boxes.Boxes().empty());
}

// Two drives each fail on other sectors of the same disk: together they give the whole disk. Sectors read
// before are neither read again nor changed (the second copy differs in one of them).
TEST_F(Rescue, ASecondDriveFillsInWhatTheFirstCouldNotRead) {
  const FloppyGeometry geometry{80, 18};
  std::string path = Path("merged.img");
  Insert(DamagedFloppy(geometry, {37, 100, 101, 102, 103}));
  VirtualFloppy first = store->floppy;
  ASSERT_EQ(Read(path, ResumePolicy::Never), OperationOutcome::Succeeded);

  VirtualFloppy second = DamagedFloppy(geometry, {2000, 5});
  std::memset(second.SlotData(second.SlotOfSector(6)), 0xEE, kSectorBytes);
  Insert(second);
  int64_t clockBefore = store->floppy.clockNanoseconds;
  ASSERT_EQ(Read(path, ResumePolicy::Always), OperationOutcome::Succeeded);
  EXPECT_TRUE(reported.empty());
  EXPECT_EQ(MapBadSectors(path), std::vector<int64_t>{});
  EXPECT_EQ(Data(path, geometry), Expected(first, {}));
  // Five sectors: far less than a whole read of the disk (49 s).
  EXPECT_LT(store->floppy.clockNanoseconds - clockBefore, 10'000'000'000);

  EXPECT_TRUE(boxes.Boxes().empty());
  CImageInfo merged;
  ASSERT_EQ(merged.LoadInfo(path, boxes), 0);
  EXPECT_EQ(CheckIntegrity(merged, boxes), IntegrityResult::Good);
}

// However far a resume got before it was stopped, the image and its map are as they were, and the next resume
// ends where one whole resume ends.
TEST_F(Rescue, InterruptedResumesLeaveImageAndMapAsTheyWere) {
  const FloppyGeometry geometry{80, 18};
  const std::vector<int64_t> firstBad = {3, 37, 1000, 1001, 2800};
  std::string path = Path("rescue.img");
  Insert(DamagedFloppy(geometry, firstBad));
  ASSERT_EQ(Read(path, ResumePolicy::Never), OperationOutcome::Succeeded);
  std::string image = ReadWhole(path);
  std::string map = ReadWhole(RescueMapPathOf(path));

  std::mt19937 random(15);
  for (int round = 0; round < 6; ++round) {
    int stopAfter = std::uniform_int_distribution<int>(1, 2880)(random);
    SCOPED_TRACE(stopAfter);
    Insert(DamagedFloppy(geometry, {37, 2000}));
    EXPECT_EQ(Read(path, ResumePolicy::Always, stopAfter), OperationOutcome::Failed);
    EXPECT_EQ(ReadWhole(path), image);
    EXPECT_EQ(ReadWhole(RescueMapPathOf(path)), map);
    EXPECT_EQ(FileNames(), (std::vector<std::string>{"rescue.img", "rescue.img.map"}));
  }
  ASSERT_EQ(Read(path, ResumePolicy::Always), OperationOutcome::Succeeded);
  EXPECT_EQ(MapBadSectors(path), std::vector<int64_t>{37});
  EXPECT_EQ(Data(path, geometry), Expected(store->floppy, {37}));
  EXPECT_TRUE(boxes.Boxes().empty());
}

// A long rescue puts image and map in place as it goes: killed at any moment (here: the files as they were at
// one event, the job then stopped), a resume from them ends where one uninterrupted rescue ends. Stopped
// before its first checkpoint, it leaves a file that was at the path as it was.
TEST_F(Rescue, AKilledRescueGoesOnFromWhatItHadPutInPlace) {
  const FloppyGeometry geometry{80, 18};
  const std::vector<int64_t> bad = {37, 1500, 2000};
  std::string path = Path("long.img");
  WriteWhole(path, "an older file");
  Insert(DamagedFloppy(geometry, bad));
  EXPECT_EQ(Read(path, ResumePolicy::Never, 500), OperationOutcome::Failed);
  EXPECT_EQ(ReadWhole(path), "an older file");
  EXPECT_FALSE(FileExists(RescueMapPathOf(path)));
  for (bool resuming : {false, true}) {
    SCOPED_TRACE(resuming);
    RemoveFile(RescueMapPathOf(path));
    Insert(DamagedFloppy(geometry, bad));
    if (resuming) {
      ASSERT_EQ(Read(path, ResumePolicy::Never), OperationOutcome::Succeeded);
      Insert(DamagedFloppy(geometry, {37}));  // another drive
    }
    std::string image, map;
    auto killedAt = [&](int event) {
      if (event == 1000 || event == 1750) clock.now += CDiskReadJob::kCheckpointSeconds;  // the job's clock, on its thread
      if (event == 1800) image = ReadWhole(path), map = ReadWhole(RescueMapPathOf(path));
    };
    EXPECT_EQ(Read(path, resuming ? ResumePolicy::Always : ResumePolicy::Never, 1900, killedAt),
              OperationOutcome::Failed);
    // Stopped, a rescue keeps what it has put in place: the last checkpoint, whose map --resume goes on from.
    EXPECT_EQ(ReadWhole(path), image);
    EXPECT_EQ(ReadWhole(RescueMapPathOf(path)), map);
    std::optional<Mapfile> read = ReadMapfile(map);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->currentStatus, '?');
    EXPECT_GT(read->currentPosition, 1740u * kSectorBytes);
    std::vector<int64_t> unread;  // every sector not finished holds a marker in the image
    for (const MapfileBlock& block : read->blocks) {
      for (uint64_t at = block.position; block.status != '+' && at < block.position + block.size; at += kSectorBytes) {
        unread.push_back(static_cast<int64_t>(at / kSectorBytes));
      }
    }
    EXPECT_EQ(image.substr(0, static_cast<std::size_t>(geometry.TotalBytes())), Expected(store->floppy, unread));

    WriteWhole(path, image);
    WriteWhole(RescueMapPathOf(path), map);
    ASSERT_EQ(Read(path, ResumePolicy::Always), OperationOutcome::Succeeded);
    std::vector<int64_t> left = resuming ? std::vector<int64_t>{37} : bad;
    EXPECT_EQ(MapBadSectors(path), left);
    EXPECT_EQ(Data(path, geometry), Expected(store->floppy, left));
  }
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Rescue, TheWindowsProgramAsksBeforeResuming) {
  const FloppyGeometry geometry{80, 9};
  std::string path = Path("asked.img");
  Insert(DamagedFloppy(geometry, {10}));
  ASSERT_EQ(Read(path, ResumePolicy::Ask), OperationOutcome::Succeeded);
  EXPECT_TRUE(boxes.Boxes().empty()) << "nothing to resume yet";

  suppress = 0;
  Insert(DamagedFloppy(geometry, {20}));
  boxes.AnswerNext({MessageAnswer::No});  // read the whole disk again
  ASSERT_EQ(Read(path, ResumePolicy::Ask), OperationOutcome::Succeeded);
  EXPECT_EQ(boxes.Ids(), (std::vector<int>{kTextEmergencyActive, kTextAskResumeRescue}));
  EXPECT_EQ(boxes.Boxes()[1].text, FormatText(TextOf(kTextAskResumeRescue), {path}));
  EXPECT_EQ(MapBadSectors(path), std::vector<int64_t>{20});

  boxes.Clear();
  Insert(DamagedFloppy(geometry, {10}));
  boxes.AnswerNext({MessageAnswer::Yes});
  ASSERT_EQ(Read(path, ResumePolicy::Ask), OperationOutcome::Succeeded);
  EXPECT_EQ(MapBadSectors(path), std::vector<int64_t>{});
  EXPECT_EQ(Data(path, geometry), Expected(store->floppy, {}));
}

TEST_F(Rescue, AMapOrImageThatDoesNotFitTheDiskStopsTheResume) {
  std::string path = Path("other.img");
  Insert(DamagedFloppy({80, 18}, {1}));
  ASSERT_EQ(Read(path, ResumePolicy::Never), OperationOutcome::Succeeded);
  std::string image = ReadWhole(path);
  std::string map = ReadWhole(RescueMapPathOf(path));

  Insert(PatternedFloppy({80, 9}));  // another format
  EXPECT_EQ(Read(path, ResumePolicy::Always), OperationOutcome::Failed);
  EXPECT_EQ(boxes.Ids(), std::vector<int>{kTextRescueImageMismatch});

  // Maps that are damaged, missing or no file, or that belong to another image (sector 1000 bad where this
  // image holds data); and another disk in the drive (sector 1 now reads, the rest differs).
  VirtualFloppy otherDisk = PatternedFloppy({80, 18});
  std::memset(otherDisk.SlotData(otherDisk.SlotOfSector(0)), 0x11, kSectorBytes);
  // ... and one whose system area (all of cylinder 0) is this disk's, as two disks of one machine's data.
  VirtualFloppy sameSystemArea = PatternedFloppy({80, 18});
  for (int64_t sector = 36; sector < 2880; ++sector) sameSystemArea.SlotData(sameSystemArea.SlotOfSector(sector))[0] ^= 0xFF;
  struct Damage {
    std::optional<std::string> map;  // nullopt: a folder
    int box;
    VirtualFloppy disk;
  } damages[] = {
      {"0 +\n0 737280 +\n", kTextRescueMapUnusable, PatternedFloppy({80, 18})},
      {"garbage", kTextRescueMapUnusable, PatternedFloppy({80, 18})},
      {"", kTextRescueMapMissing, PatternedFloppy({80, 18})},
      {std::nullopt, kTextRescueMapMissing, PatternedFloppy({80, 18})},
      {"0 ?\n0 512000 +\n512000 512 -\n512512 962048 +\n", kTextRescueMapUnusable, PatternedFloppy({80, 18})},
      {map, kTextRescueOtherDisk, otherDisk},
      {map, kTextRescueOtherDisk, sameSystemArea},
  };
  for (const Damage& d : damages) {
    SCOPED_TRACE(d.map.value_or("a folder"));
    Insert(d.disk);
    std::string mapPath = RescueMapPathOf(path);
    std::filesystem::remove_all(std::filesystem::path(std::u8string(mapPath.begin(), mapPath.end())));
    if (!d.map) std::filesystem::create_directory(std::filesystem::path(std::u8string(mapPath.begin(), mapPath.end())));
    if (d.map && !d.map->empty()) WriteWhole(RescueMapPathOf(path), *d.map);
    boxes.Clear();
    EXPECT_EQ(Read(path, ResumePolicy::Always), OperationOutcome::Failed);
    EXPECT_EQ(boxes.Ids(), std::vector<int>{d.box});
    EXPECT_EQ(ReadWhole(path), image);
  }
}

// A resume compares the disk with the image as it goes; a checkpoint due before every part has been compared
// compares the rest first. Another disk that differs only where nothing is read again is refused before the
// checkpoint could put its sectors in place.
TEST_F(Rescue, AResumeSavesNothingBeforeTheWholeDiskIsCompared) {
  const FloppyGeometry geometry{80, 18};
  std::string path = Path("compared.img");
  Insert(DamagedFloppy(geometry, {37, 1500}));
  ASSERT_EQ(Read(path, ResumePolicy::Never), OperationOutcome::Succeeded);
  std::string image = ReadWhole(path);
  std::string map = ReadWhole(RescueMapPathOf(path));

  VirtualFloppy alike = PatternedFloppy(geometry);  // reads 37 and 1500; its last quarter is another disk's
  for (int64_t sector = 2160; sector < 2880; ++sector) alike.SlotData(alike.SlotOfSector(sector))[0] ^= 0xFF;
  Insert(alike);
  boxes.Clear();
  auto checkpointDue = [&](int event) {
    if (event == 100) clock.now += CDiskReadJob::kCheckpointSeconds;  // sector 37 read again by then
  };
  EXPECT_EQ(Read(path, ResumePolicy::Always, -1, checkpointDue), OperationOutcome::Failed);
  EXPECT_EQ(boxes.Ids(), std::vector<int>{kTextRescueOtherDisk});
  EXPECT_EQ(ReadWhole(path), image);
  EXPECT_EQ(ReadWhole(RescueMapPathOf(path)), map);
}

// Without a choice of the user (the POSIX program without --resume, the Windows program under /s), a read
// never replaces a rescue: it is refused, image and map untouched; with neither there, --resume reads anew.
TEST_F(Rescue, NoReadReplacesARescueUnasked) {
  std::string path = Path("kept.img");
  Insert(DamagedFloppy({80, 18}, {7}));
  ASSERT_EQ(Read(path, ResumePolicy::Always), OperationOutcome::Succeeded);
  EXPECT_EQ(MapBadSectors(path), std::vector<int64_t>{7});
  std::string image = ReadWhole(path);
  std::string map = ReadWhole(RescueMapPathOf(path));
  Insert(PatternedFloppy({80, 18}));
  for (auto [policy, box] : {std::pair{ResumePolicy::Never, kTextRescueUnfinishedResume},
                             std::pair{ResumePolicy::Ask, kTextRescueUnfinishedAsk}}) {
    boxes.Clear();
    EXPECT_EQ(Read(path, policy), OperationOutcome::Failed);
    EXPECT_EQ(boxes.Ids(), std::vector<int>{box});
    EXPECT_EQ(boxes.Boxes()[0].text, FormatText(TextOf(box), {path, RescueMapPathOf(path)}));
    EXPECT_EQ(ReadWhole(path), image);
    EXPECT_EQ(ReadWhole(RescueMapPathOf(path)), map);
  }
}

// A whole read over a rescue replaces it, map and all: a later rescue into the image starts unhindered. A
// read that fails leaves both as they were.
TEST_F(Rescue, AWholeReadOverARescueTakesItsMapAway) {
  std::string path = Path("replaced.img");
  Insert(DamagedFloppy({80, 18}, {7}));
  ASSERT_EQ(Read(path, ResumePolicy::Never), OperationOutcome::Succeeded);
  std::string image = ReadWhole(path);
  std::string map = ReadWhole(RescueMapPathOf(path));
  emergency = 0;
  EXPECT_EQ(Read(path, ResumePolicy::Never), OperationOutcome::Failed);
  EXPECT_EQ(ReadWhole(path), image);
  EXPECT_EQ(ReadWhole(RescueMapPathOf(path)), map);

  VirtualFloppy healthy = PatternedFloppy({80, 18});
  Insert(healthy);
  ASSERT_EQ(Read(path, ResumePolicy::Never), OperationOutcome::Succeeded);
  EXPECT_EQ(Data(path, healthy.geometry), Expected(healthy, {}));
  EXPECT_FALSE(FileExists(RescueMapPathOf(path)));
  emergency = 1;
  Insert(DamagedFloppy({80, 18}, {9}));
  boxes.Clear();
  ASSERT_EQ(Read(path, ResumePolicy::Never), OperationOutcome::Succeeded) << ::testing::PrintToString(boxes.Ids());
  EXPECT_EQ(MapBadSectors(path), std::vector<int64_t>{9});

  // Beside a compressed image a file of that name is the user's own: no rescue is ever made there.
  emergency = 0;
  Insert(healthy);
  std::string compressed = Path("replaced.imz");
  WriteWhole(RescueMapPathOf(compressed), "the user's notes");
  ASSERT_EQ(Read(compressed, ResumePolicy::Never), OperationOutcome::Succeeded);
  EXPECT_EQ(ReadWhole(RescueMapPathOf(compressed)), "the user's notes");
}

// Weak sectors read on a later try: each retry pass gets those whose failures are used up, and the report
// says on which pass; without retries they stay bad as before.
TEST_F(Rescue, RetryPassesRecoverWeakSectors) {
  const FloppyGeometry geometry{80, 18};
  VirtualFloppy floppy = DamagedFloppy(geometry, {37});
  floppy.weakSectors = {{10, 1}, {2000, 2}, {900, 3}};
  struct Case {
    uint32_t passes;
    std::vector<int64_t> stillBad;
    std::vector<std::string> recoveredRows;
  } cases[] = {
      {0, {10, 37, 900, 2000}, {}},
      {1, {37, 900, 2000}, {"11 / 5120 字节 (5.0 kB) - 第 1 遍重试时读出"}},
      {3, {37}, {"11 / 5120 字节 (5.0 kB) - 第 1 遍重试时读出", "901 / 460800 字节 (450.0 kB) - 第 3 遍重试时读出",
                 "2001 / 1024000 字节 (1000.0 kB) - 第 2 遍重试时读出"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.passes);
    Insert(floppy);
    retryPasses = c.passes;
    std::string path = Path("retried.img");
    RemoveFile(RescueMapPathOf(path));
    ASSERT_EQ(Read(path, ResumePolicy::Never), OperationOutcome::Succeeded);
    EXPECT_EQ(MapBadSectors(path), c.stillBad);
    EXPECT_EQ(Data(path, geometry), Expected(floppy, c.stillBad));
    std::vector<std::string> recoveredRows;
    for (const BadSectorRow& row : report.rows) {
      if (row.sectorText.find("重试") != std::string::npos) recoveredRows.push_back(row.sectorText);
    }
    EXPECT_EQ(recoveredRows, c.recoveredRows);
    EXPECT_EQ(report.rows.size(), c.stillBad.size() + c.recoveredRows.size());
    EXPECT_EQ(report.total, FormatText("%d / %d (%.2f%%)", {static_cast<int>(c.stillBad.size()), 2880,
                                                             static_cast<double>(c.stillBad.size()) * 100 / 2880}));
  }
  EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace

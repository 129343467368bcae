// The track engine over the simulated drive: whole disks in every format and image form, emergency reading,
// recreation of bad sectors, formatting progress, every refusal, and cancellation in each phase.
#include "app/DiskReadJob.h"
#include "app/DiskWriteJob.h"


#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <mutex>
#include <cstring>

#include "base/Format.h"
#include "base/Texts.h"
#include "floppy/FloppyFixtures.h"
#include "floppy/linux/LinuxFloppyDevice.h"
#include "floppy/nt/NtFloppyDevice.h"
#include "floppy/virtual/SimulatedLinuxSyscalls.h"
#include "floppy/virtual/SimulatedNtSyscalls.h"
#include "floppy/virtual/SimulatedVwin32Syscalls.h"
#include "floppy/vwin32/Vwin32FloppyDevice.h"
#include "image/ImageReader.h"
#include "image/trailer/Trailer.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"
#include "support/Waiting.h"
#include "support/ZipTool.h"

namespace {

const FloppyGeometry kFormats[] = {{40, 9}, {80, 9}, {80, 10}, {80, 15}, {80, 18}, {80, 21}};
const char* const kForms[] = {".img", ".imz", ".exe"};

// -1 when equal, else the offset of the first difference (the size of the shorter one when it is a prefix);
// large images make poor failure messages when compared whole.
int64_t FirstDifference(const std::string& a, const std::string& b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return static_cast<int64_t>(i);
  }
  return a.size() == b.size() ? -1 : static_cast<int64_t>(n);
}

// Ticks at every look, so that rates show; stopped, it keeps emergency reads from putting their image in
// place every few sectors (those checkpoints are tested with the rescues).
class TickingClock : public IClock {
 public:
  int64_t NowSeconds() override { return seconds += ticking ? 1 : 0; }
  int64_t seconds = 1000;
  bool ticking = true;
};

// Keeps the percent each event was posted with (the worker may be further on when the event is read), and
// presses Cancel at an exact event: the simulated drive is so fast that a reader of the queue would be late.
class CapturingQueue : public JobEventQueue {
 public:
  CapturingQueue(OperationProgress& progress, int cancelAtEvent, std::function<void(int)> onEvent = {})
      : progress_(progress), cancelAt_(cancelAtEvent), onEvent_(std::move(onEvent)) {}
  void Post(JobEvent event) override {
    {
      std::lock_guard lock(mutex_);
      percents_.push_back(progress_.percent.load());
      if (static_cast<int>(percents_.size()) == cancelAt_) progress_.cancelRequested = true;
      if (onEvent_) onEvent_(static_cast<int>(percents_.size()));
    }
    JobEventQueue::Post(event);
  }
  std::vector<uint32_t> Percents() {
    std::lock_guard lock(mutex_);
    return percents_;
  }

 private:
  OperationProgress& progress_;
  int cancelAt_;
  std::function<void(int)> onEvent_;  // on the worker, at the event of that number
  std::mutex mutex_;
  std::vector<uint32_t> percents_;
};

// The device paths the engine runs over, each on its simulated system, with the error codes their messages
// name for a sector that cannot be written and for one whose data is damaged.
struct DeviceRoute {
  const char* name;
  std::unique_ptr<IFloppyDeviceFactory> (*drives)(std::shared_ptr<IVirtualFloppyStore> store);
  const char* writeFault;
  const char* dataError;
  const char* verifyError = dataError;
  uint32_t ntMajorVersion = 5;        // the system the route belongs to
  bool recreatesBadSectors = true;    // Windows 9x formats every sector with its number
  int refusedFormatId = 57721;        // what a drive that cannot format shows
};

SimulatedLinuxSyscalls* lastLinuxKernel = nullptr;  // of the latest Linux route, for changing its disk

// Windows 9x: the VWIN32 device over the simulated drive.
class Windows9xDrives final : public IFloppyDeviceFactory {
 public:
  explicit Windows9xDrives(std::shared_ptr<IVirtualFloppyStore> store) { drives_.Attach('A', std::move(store)); }
  std::unique_ptr<IFloppyDevice> Create(const DeviceContext& context) override {
    return std::make_unique<Vwin32FloppyDevice>(vwin32_, context);
  }

 private:
  SimulatedNtSyscalls drives_;
  SimulatedVwin32Syscalls vwin32_{drives_};
};

const DeviceRoute kRoutes[] = {
    {"Nt",
     [](std::shared_ptr<IVirtualFloppyStore> store) -> std::unique_ptr<IFloppyDeviceFactory> {
       auto os = std::make_unique<SimulatedNtSyscalls>();
       os->Attach('A', std::move(store));
       return std::make_unique<NtFloppyDeviceFactory>(std::move(os));
     },
     "0x001D", "0x0017"},
    {"Linux",
     [](std::shared_ptr<IVirtualFloppyStore> store) -> std::unique_ptr<IFloppyDeviceFactory> {
       auto os = std::make_unique<SimulatedLinuxSyscalls>();
       lastLinuxKernel = os.get();
       os->Attach("/dev/fd0", std::move(store), LinuxDriveKind::Controller);
       return std::make_unique<LinuxFloppyDeviceFactory>(std::move(os));
     },
     "0x0005", "0x0005"},
    {"Windows9x",
     [](std::shared_ptr<IVirtualFloppyStore> store) -> std::unique_ptr<IFloppyDeviceFactory> {
       return std::make_unique<Windows9xDrives>(std::move(store));
     },
     "0x001D", "0x0017", "0x1000", 0, false, 57706},
};

class Engine : public ImageFolder, public testing::WithParamInterface<DeviceRoute> {
 protected:
  void SetUp() override {
    ImageFolder::SetUp();
    programPath = Path("diskelle-program.exe");
    WriteProgramFile(programPath);
    ntMajorVersion = GetParam().ntMajorVersion;
  }

  // Puts floppy into drive A: of a fresh simulated system, with the boot sector DOS measures a disk by.
  void Insert(VirtualFloppy floppy) {
    store = std::make_shared<MemoryFloppyStore>(Measurable(std::move(floppy)));
    devices = GetParam().drives(store);
  }

  DiskJobEnvironment Environment() {
    return {settings, selfExe, ntMajorVersion, boxes, *devices, clock, programPath};
  }

  // Runs the job on its worker thread like the program does; returns every event it posted.
  std::vector<JobEvent> RunJob(DiskJob& job, int cancelAfterEvents = -1) {
    CapturingQueue queue(progress, cancelAfterEvents, onEvent);
    job.Start(queue);
    std::vector<JobEvent> events;
    for (;;) {
      std::optional<JobEvent> event = queue.WaitNextFor(kWaitCeiling);
      if (!event) {
        ADD_FAILURE() << "the job never finished";
        return events;
      }
      events.push_back(*event);
      if (event->Ends()) {
        postedPercents = queue.Percents();
        return events;
      }
    }
  }

  int ReadDisk(const std::string& path, int cancelAfterEvents = -1) {
    bool cancelled = progress.cancelRequested.load();
    progress.Reset();
    progress.cancelRequested = cancelled;
    image = CImageInfo();
    image.SetTarget(path, boxes);
    image.m_description = "Setup";
    CDiskReadJob job(Environment(), image, progress);
    std::vector<JobEvent> events = RunJob(job, cancelAfterEvents);
    return events.back().step == JobStep::Succeeded ? 0 : -1;
  }

  int WriteDisk(const std::string& path, std::vector<JobEvent>* seen = nullptr, int cancelAfterEvents = -1) {
    progress.Reset();
    image = CImageInfo();
    if (image.LoadInfo(path, boxes) != 0) return -99;
    CDiskWriteJob job(Environment(), image, progress);
    std::vector<JobEvent> events = RunJob(job, cancelAfterEvents);
    if (seen) *seen = events;
    return events.back().step == JobStep::Succeeded ? 0 : -1;
  }

  // The raw bytes an image file carries, through the product's own reader.
  std::string RawOf(const std::string& path) {
    CImageInfo info;
    EXPECT_EQ(info.LoadInfo(path, boxes), 0);
    ImageReader reader(boxes);
    EXPECT_EQ(reader.Open(info), 0);
    std::string raw(0x200000, '\0');
    int64_t got = reader.Read(raw.data(), raw.size());
    raw.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return raw;
  }

  std::string DiskBytes(const FloppyGeometry& geometry) {
    std::vector<uint8_t> bytes = SectorsOf(store->floppy, 0, static_cast<int>(geometry.TotalSectors()));
    return std::string(bytes.begin(), bytes.end());
  }

  AppSettings settings;
  SelfExeSettings selfExe;
  std::function<void(int)> onEvent;
  uint32_t ntMajorVersion = 5;
  FakeMessageBoxes boxes;
  TickingClock clock;
  OperationProgress progress;
  std::vector<uint32_t> postedPercents;
  CImageInfo image;
  std::string programPath;
  std::shared_ptr<MemoryFloppyStore> store;
  std::unique_ptr<IFloppyDeviceFactory> devices;
};

TEST_P(Engine, ReadsAndWritesEveryFormatInEveryForm) {
  settings.m_formatDisk = 1;  // writes format and verify first
  for (const FloppyGeometry& geometry : kFormats) {
    for (const char* form : kForms) {
      SCOPED_TRACE(std::to_string(geometry.SizeKb()) + form);
      // Windows 9x cannot format 800 and 1680 KB disks; it writes them as they are.
      settings.m_formatDisk = ntMajorVersion != 0 || FindFloppyFormat(geometry)->allowedOn9x;
      Insert(PatternedFloppy(geometry));
      std::string original = DiskBytes(geometry);
      std::string path = Path("disk" + std::to_string(geometry.SizeKb()) + form);
      ASSERT_EQ(ReadDisk(path), 0);
      EXPECT_EQ(FirstDifference(RawOf(path).substr(0, original.size()), original), -1);
      EXPECT_EQ(progress.percent.load(), 100u);
      EXPECT_TRUE(progress.badSectorOffsets.empty());

      CImageInfo loaded;
      ASSERT_EQ(loaded.LoadInfo(path, boxes), 0);
      EXPECT_EQ(loaded.Geometry(), geometry);
      EXPECT_EQ(loaded.m_description, "Setup");
      EXPECT_NE(loaded.m_checksum, 0u);

      VirtualFloppy blank = NewVirtualFloppy(geometry);
      std::memset(blank.data.data(), 0xE5, blank.data.size());
      Insert(std::move(blank));
      ASSERT_EQ(WriteDisk(path), 0);
      EXPECT_EQ(FirstDifference(DiskBytes(geometry), original), -1);
      EXPECT_TRUE(boxes.Boxes().empty());
    }
  }
}

TEST_P(Engine, ReadProgressAndTotals) {
  Insert(PatternedFloppy({80, 18}));
  image.SetTarget(Path("p.img"), boxes);
  CDiskReadJob job(Environment(), image, progress);
  std::vector<JobEvent> events = RunJob(job);
  ASSERT_EQ(events.size(), 161u);  // one per track side, then success
  for (const JobEvent& event : events) EXPECT_EQ(event.job, JobKind::Read);
  EXPECT_EQ(events.back().step, JobStep::Succeeded);
  EXPECT_EQ(progress.totalText.Get(), "1440 kB");
  EXPECT_EQ(progress.kbDone.load(), 1440u);
  EXPECT_EQ(progress.speedText.Get(), FormatText("%.1f", {1440.0 / 160}));  // the clock ticks once per block
}

TEST_P(Engine, EmergencyReadPutsMarkersWhereSectorsFailed) {
  clock.ticking = false;
  settings.m_emergency = 1;
  settings.m_compatible = 1;
  VirtualFloppy floppy = PatternedFloppy({80, 18});
  MarkSector(floppy, 37, kSlotUnreadable);
  Insert(floppy);
  std::string path = Path("rescued.img");
  ASSERT_EQ(ReadDisk(path), 0);
  std::string raw = ReadWhole(path);
  ASSERT_EQ(raw.size(), 1474560u);  // compatible mode: the raw image alone
  EXPECT_EQ(progress.badSectorOffsets, std::vector<uint32_t>{18944});
  std::string marker(512, '\0');
  marker.replace(0, 22, "BAD SECTOR DUMMY BLOCK");
  EXPECT_EQ(raw.substr(18944, 512), marker);
  std::string expected = DiskBytes({80, 18});
  expected.replace(18944, 512, marker);
  EXPECT_EQ(FirstDifference(raw, expected), -1);
  EXPECT_TRUE(boxes.Boxes().empty());  // an unreadable sector is no failure in this mode

  // Without bad sectors the emergency image equals the normal one.
  Insert(PatternedFloppy({80, 18}));
  ASSERT_EQ(ReadDisk(Path("clean.img")), 0);
  EXPECT_TRUE(progress.badSectorOffsets.empty());
  EXPECT_EQ(FirstDifference(ReadWhole(Path("clean.img")), DiskBytes({80, 18})), -1);
}

// Every format gets real bad sectors again where the emergency image has marker blocks, and the rest back.
TEST_P(Engine, RecreatesTheBadSectorsOfAnEmergencyImage) {
  clock.ticking = false;
  for (const FloppyGeometry& geometry : kFormats) {
    SCOPED_TRACE(geometry.SizeKb());
    if (ntMajorVersion == 0 && !FindFloppyFormat(geometry)->allowedOn9x) continue;  // no format, no recreation
    settings = AppSettings();
    settings.m_emergency = 1;
    VirtualFloppy damaged = Measurable(PatternedFloppy(geometry));
    MarkSector(damaged, 37, kSlotUnreadable);
    MarkSector(damaged, 500, kSlotUnreadable);
    Insert(damaged);
    std::string path = Path("emergency" + std::to_string(geometry.SizeKb()) + ".img");
    ASSERT_EQ(ReadDisk(path), 0);

    settings.m_emergency = 0;
    settings.m_formatDisk = 1;
    settings.m_recreateBad = 1;
    Insert(NewVirtualFloppy(geometry));
    ASSERT_EQ(WriteDisk(path), 0);  // verification on: recreated sides are not verified
    const bool recreates = GetParam().recreatesBadSectors;
    // Without recreation the marker blocks are written as data and nothing is reported.
    EXPECT_EQ(progress.badSectorOffsets,
              recreates ? (std::vector<uint32_t>{37 * 512, 500 * 512}) : std::vector<uint32_t>{});
    int64_t idZeroSlots = std::count_if(store->floppy.slots.begin(), store->floppy.slots.end(),
                                        [](const SectorSlot& slot) { return slot.id == 0; });
    EXPECT_EQ(idZeroSlots, recreates ? 2 : 0);
    std::vector<uint8_t> marker(kSectorBytes, 0);
    std::memcpy(marker.data(), "BAD SECTOR DUMMY BLOCK", 22);
    for (int64_t sector = 0; sector < geometry.TotalSectors(); ++sector) {
      const uint8_t* data = store->floppy.ReadableSector(sector);
      if (sector == 37 || sector == 500) {
        if (recreates) {
          EXPECT_EQ(data, nullptr) << sector;
        } else {
          ASSERT_NE(data, nullptr) << sector;
          EXPECT_EQ(std::memcmp(data, marker.data(), kSectorBytes), 0) << sector;
        }
      } else {
        ASSERT_NE(data, nullptr) << sector;
        EXPECT_EQ(std::memcmp(data, damaged.ReadableSector(sector), kSectorBytes), 0) << sector;
      }
    }
    EXPECT_TRUE(boxes.Boxes().empty());

    // A drive that cannot format says so instead of leaving the sectors to be written as data.
    VirtualFloppy usb = Measurable(NewVirtualFloppy(geometry));
    usb.refusesFormat = true;
    Insert(usb);
    EXPECT_EQ(WriteDisk(path), -1);
    EXPECT_EQ(boxes.Ids(), std::vector<int>{GetParam().refusedFormatId});
    EXPECT_TRUE(progress.badSectorOffsets.empty());
    EXPECT_EQ(store->floppy.data, usb.data);
    boxes.Clear();
  }
}

// An image that cannot be read whole, is too large or fails its checksum is refused before the drive is
// even opened (opening alone would spin the drive up): the disk keeps everything.
TEST_P(Engine, ImagesThatFailTheirCheckLeaveTheDiskUntouched) {
  auto flip16 = [](std::string& bytes) {
    std::size_t middle = (bytes.size() - kTrailerBytes) / 2;
    for (std::size_t i = middle; i < middle + 16; ++i) bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
  };
  auto cutStream = [](std::string& bytes) {
    std::size_t stream = bytes.size() - kTrailerBytes;
    bytes.erase(stream / 2, stream - stream / 2);
  };
  auto wrongChecksum = [](std::string& bytes) {
    CImageInfo info;
    info.m_tracks = 80;
    info.m_sectorsPerTrack = 18;
    info.m_checksum = 0x12345678;
    bytes.replace(bytes.size() - kTrailerBytes, kTrailerBytes, FormatTrailer(info));
  };
  auto changeData = [](std::string& bytes) { bytes[5000] = static_cast<char>(bytes[5000] ^ 1); };
  auto tooLarge = [](std::string& bytes) { bytes = FloppyBytes(3000000); };
  struct Case {
    const char* title;
    const char* source;
    std::function<void(std::string&)> damage;
    bool format, recreate;
    int id;
  } cases[] = {
      {"imz with 16 bytes flipped mid-stream", "disk.imz", flip16, false, false, 124},
      {"the same, formatting first", "disk.imz", flip16, true, false, 124},
      {"imz cut in the middle of its stream", "disk.imz", cutStream, true, false, 124},
      {"imz whose file does not match its checksum", "disk.imz", wrongChecksum, true, false, 57699},
      {"img changed after its trailer was written", "disk.img", changeData, false, false, 57699},
      {"the same, recreating bad sectors", "disk.img", changeData, true, true, 57699},
      {"img of 3,000,000 bytes", "disk.img", tooLarge, true, false, 57730},
  };
  Insert(PatternedFloppy({80, 18}));
  ASSERT_EQ(ReadDisk(Path("disk.imz")), 0);
  ASSERT_EQ(ReadDisk(Path("disk.img")), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    std::string bytes = ReadWhole(Path(c.source));
    c.damage(bytes);
    std::string path = Path(std::string("damaged") + (c.source + 4));
    WriteWhole(path, bytes);
    settings = AppSettings();
    settings.m_formatDisk = c.format;
    settings.m_recreateBad = c.recreate;
    VirtualFloppy disk = Measurable(PatternedFloppy({80, 18}));
    Insert(disk);
    boxes.Clear();
    EXPECT_EQ(WriteDisk(path), -1);
    EXPECT_EQ(boxes.Ids(), std::vector<int>{c.id});
    EXPECT_TRUE(store->floppy == disk);
    EXPECT_EQ(store->saves, 0);
  }
}

TEST_P(Engine, FormatProgressRunsFromZeroTo99Percent) {
  settings.m_formatDisk = 1;
  Insert(PatternedFloppy({80, 18}));
  ASSERT_EQ(ReadDisk(Path("f.img")), 0);
  std::vector<JobEvent> events;
  ASSERT_EQ(WriteDisk(Path("f.img"), &events), 0);
  std::vector<uint32_t> formatted;
  for (std::size_t i = 0; i < events.size(); ++i) {
    if (events[i].step == JobStep::SideFormatted) formatted.push_back(postedPercents[i]);
  }
  ASSERT_EQ(formatted.size(), 160u);
  EXPECT_EQ(formatted.front(), 0u);
  EXPECT_EQ(formatted[1], 0u);   // track 0 head 1: 50 / 80
  EXPECT_EQ(formatted[2], 1u);   // track 1 head 0: 100 / 80
  EXPECT_EQ(formatted.back(), 99u);
  EXPECT_EQ(events.front().step, JobStep::SideFormatted);
  EXPECT_EQ(events[160].step, JobStep::Progress);  // then the data phase
  EXPECT_EQ(events.back().step, JobStep::Succeeded);
}

struct FailureCase {
  const char* title;
  std::function<void(VirtualFloppy&)> prepare;
  std::function<void(AppSettings&, uint32_t&)> configure;
  std::vector<int> boxIds;
  std::string firstText;  // empty: not checked
};

TEST_P(Engine, WriteFailuresShowTheirMessages) {
  const FailureCase cases[] = {
      {"write protected", [](VirtualFloppy& f) { f.writeProtected = true; }, [](AppSettings&, uint32_t&) {},
       {57668}, "软盘有防写入保护。"},
      {"no disk", [](VirtualFloppy& f) { f.diskAbsent = true; }, [](AppSettings&, uint32_t&) {}, {57711},
       "驱动器中没有软盘。"},
      {"drive refuses formatting", [](VirtualFloppy& f) { f.refusesFormat = true; },
       [](AppSettings& s, uint32_t&) { s.m_formatDisk = 1; }, {GetParam().refusedFormatId}, ""},
      {"disk formatted for another size", [](VirtualFloppy& f) { f = NewVirtualFloppy({80, 21}); },
       [](AppSettings&, uint32_t&) {}, {57676}, "该软盘与映像文件不匹配。\n软盘需要被格式化为 1440 KB。"},
      {"5.25-inch disk", [](VirtualFloppy& f) { f = NewVirtualFloppy({80, 15}); }, [](AppSettings&, uint32_t&) {},
       {57675}, "该软盘与映像文件不匹配。\n您需要有一个 3.5\" 软盘。"},
      {"recreation without bad sectors in the image", [](VirtualFloppy&) {},
       [](AppSettings& s, uint32_t&) {
         s.m_formatDisk = 1;
         s.m_recreateBad = 1;
       },
       {57714}, ""},
      {"unwritable sector", [](VirtualFloppy& f) { MarkSector(f, 40, kSlotUnwritable); },
       [](AppSettings&, uint32_t&) {}, {118},
       std::string("不能写入软盘的磁轨 1，磁头 0 (错误: ") + GetParam().writeFault + ")。\n请在写入前先尝试格式化该软盘。"},
      {"unreadable after writing", [](VirtualFloppy& f) { MarkSector(f, 40, kSlotUnreadable); },
       [](AppSettings&, uint32_t&) {}, {57715},
       std::string("不能验证软盘的磁轨 1，磁头 0 (错误: ") + GetParam().verifyError + ")。\n你必须更换该软盘。"},
  };
  Insert(PatternedFloppy({80, 18}));
  std::string path = Path("source.imz");
  ASSERT_EQ(ReadDisk(path), 0);
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.title);
    settings = AppSettings();
    ntMajorVersion = GetParam().ntMajorVersion;
    c.configure(settings, ntMajorVersion);
    VirtualFloppy floppy = PatternedFloppy({80, 18});
    c.prepare(floppy);
    Insert(floppy);
    boxes.Clear();
    EXPECT_EQ(WriteDisk(path), -1);
    EXPECT_EQ(boxes.Ids(), c.boxIds);
    if (!c.firstText.empty() && !boxes.Boxes().empty()) {
      EXPECT_EQ(boxes.Boxes()[0].text, c.firstText);
    }
  }
}

TEST_P(Engine, FormatsThatWindows9xCannotMakeAreRefusedBeforeTheDrive) {
  settings.m_formatDisk = 1;
  ntMajorVersion = 0;
  Insert(PatternedFloppy({80, 21}));
  settings.m_formatDisk = 0;
  ASSERT_EQ(ReadDisk(Path("big.img")), 0);
  settings.m_formatDisk = 1;
  store->floppy.writeProtected = true;  // the drive is never reached
  EXPECT_EQ(WriteDisk(Path("big.img")), -1);
  EXPECT_EQ(boxes.Ids(), std::vector<int>{1053});
}

TEST_P(Engine, FailedOrCancelledReadsLeaveNoImageAndKeepAnOldOne) {
  struct Case {
    const char* title;
    int cancelAfterEvents;
    bool unreadable;
  } cases[] = {{"cancelled before the transfer", 0, false},
               {"cancelled halfway", 40, false},
               {"unreadable sector", -1, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    VirtualFloppy floppy = PatternedFloppy({80, 18});
    if (c.unreadable) MarkSector(floppy, 36, kSlotUnreadable);
    Insert(floppy);
    std::string path = Path("kept.imz");
    WriteWhole(path, "an older image the user still has");
    boxes.Clear();
    progress.Reset();
    progress.cancelRequested = c.cancelAfterEvents == 0;
    EXPECT_EQ(ReadDisk(path, c.cancelAfterEvents), -1);
    EXPECT_EQ(ReadWhole(path), "an older image the user still has");
    EXPECT_EQ(FileNames(), (std::vector<std::string>{"diskelle-program.exe", "kept.imz"}));
    if (c.unreadable) {
      ASSERT_EQ(boxes.Ids(), std::vector<int>{119});
      EXPECT_EQ(boxes.Boxes()[0].text,
                std::string("不能读取软盘的磁轨 1，磁头 0 (错误: ") + GetParam().dataError +
                    ")。\n请在 \"紧急读取模式\" 下读取该软盘。");
    } else {
      EXPECT_TRUE(boxes.Boxes().empty());  // cancelling is silent
    }
  }
}

TEST_P(Engine, CancelledWritesStopInEachPhase) {
  Insert(PatternedFloppy({80, 18}));
  ASSERT_EQ(ReadDisk(Path("c.img")), 0);
  for (int cancelAfter : {5, 170}) {  // while formatting, while writing
    SCOPED_TRACE(cancelAfter);
    settings.m_formatDisk = 1;
    Insert(NewVirtualFloppy({80, 18}));
    progress.Reset();
    boxes.Clear();
    std::vector<JobEvent> events;
    EXPECT_EQ(WriteDisk(Path("c.img"), &events, cancelAfter), -1);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_LT(events.size(), 330u);  // stopped well before the end
  }
}

// A short image fills the disk up to its end; the sector it ends in is completed with zeros, never with the
// previous block's bytes or the trailer, and the sectors after it keep what they held.
TEST_P(Engine, AShortImageEndsOnTheDiskWhereItsDataEnds) {
  struct Case {
    std::size_t missing;
    bool trailer;
  } cases[] = {{100, false}, {100, true}, {4096, true}, {9216 + 700, true}};
  Insert(PatternedFloppy({80, 18}));
  settings.m_compatible = 1;
  ASSERT_EQ(ReadDisk(Path("whole.img")), 0);
  const std::string whole = ReadWhole(Path("whole.img"));
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.missing) + (c.trailer ? " with trailer" : ""));
    std::string path = Path("short.img");
    std::string raw = whole.substr(0, whole.size() - c.missing);
    WriteWhole(path, raw);
    if (c.trailer) {
      CImageInfo record;
      record.m_path = path;
      record.m_tracks = 80;
      record.m_sectorsPerTrack = 18;
      ASSERT_EQ(record.WriteTrailer(boxes), 0);
    }
    VirtualFloppy target = NewVirtualFloppy({80, 18});
    std::memset(target.data.data(), 0xAA, target.data.size());
    Insert(std::move(target));
    ASSERT_EQ(WriteDisk(path), 0) << (boxes.Boxes().empty() ? "" : boxes.Boxes()[0].text);
    std::string disk = DiskBytes({80, 18});
    std::size_t sectorEnd = (raw.size() + kSectorBytes - 1) / kSectorBytes * kSectorBytes;
    EXPECT_EQ(FirstDifference(disk.substr(0, raw.size()), raw), -1);
    EXPECT_EQ(disk.substr(raw.size(), sectorEnd - raw.size()), std::string(sectorEnd - raw.size(), '\0'));
    EXPECT_EQ(disk.substr(sectorEnd), std::string(disk.size() - sectorEnd, '\xAA'));
    EXPECT_TRUE(boxes.Boxes().empty());
  }
}

TEST_P(Engine, WritesTheImageInAZipImzThatTheZipProgramMade) {
  const FloppyGeometry geometry{40, 9};
  Insert(PatternedFloppy(geometry));
  std::string original = DiskBytes(geometry);
  ASSERT_EQ(ReadDisk(Path("disk.img")), 0);
  ASSERT_TRUE(RunZipTool({"-9", "-j"}, Path("other.imz"), {Path("disk.img")}));
  RemoveFile(Path("disk.img"));
  VirtualFloppy blank = NewVirtualFloppy(geometry);
  std::memset(blank.data.data(), 0xE5, blank.data.size());
  Insert(std::move(blank));
  ASSERT_EQ(WriteDisk(Path("other.imz")), 0);
  EXPECT_EQ(image.m_description, "Setup");
  EXPECT_EQ(FirstDifference(DiskBytes(geometry), original), -1);
  EXPECT_TRUE(boxes.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(DevicePaths, Engine, testing::ValuesIn(kRoutes),
                         [](const testing::TestParamInfo<DeviceRoute>& route) { return std::string(route.param.name); });

// Controller drives on Linux tell of a disk taken out or changed while a job holds the drive.
using LinuxControllerEngine = Engine;

TEST_P(LinuxControllerEngine, ADiskChangedDuringARescueOrARecreationStopsTheJob) {
  clock.ticking = false;
  const FloppyGeometry geometry{80, 18};
  Insert(PatternedFloppy(geometry));
  ASSERT_EQ(ReadDisk(Path("source.img")), 0);
  VirtualFloppy marked = PatternedFloppy(geometry);
  MarkSector(marked, 37, kSlotUnreadable);
  Insert(marked);
  settings.m_emergency = 1;
  ASSERT_EQ(ReadDisk(Path("emergency.img")), 0);
  std::string changed = FormatText(kTextDiskChangedDuringJob, {"A:"});
  for (bool reading : {true, false}) {
    SCOPED_TRACE(reading);
    settings = AppSettings();
    settings.m_emergency = reading;
    settings.m_formatDisk = settings.m_recreateBad = !reading;
    Insert(PatternedFloppy(geometry));
    boxes.Clear();
    onEvent = [&](int event) {
      if (event == 200) lastLinuxKernel->ChangeDisk("/dev/fd0", std::make_shared<MemoryFloppyStore>(PatternedFloppy(geometry)));
    };
    std::string path = Path("changed.img");
    EXPECT_EQ(reading ? ReadDisk(path) : WriteDisk(Path("emergency.img")), -1);
    onEvent = nullptr;
    EXPECT_FALSE(FileExists(path));
    // Nothing after the change is taken for a bad sector (the write may have met sector 37 before it).
    EXPECT_LE(progress.badSectorOffsets.size(), reading ? 0u : 1u);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, changed);
  }
}

INSTANTIATE_TEST_SUITE_P(DevicePaths, LinuxControllerEngine, testing::Values(kRoutes[1]),
                         [](const testing::TestParamInfo<DeviceRoute>& route) { return std::string(route.param.name); });

}  // namespace

// The Windows 9x device path: the register packets it sends, its retries and messages, and the same path
// over the simulated VWIN32 device and drive.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <optional>

#include "floppy/FloppyFixtures.h"
#include "floppy/virtual/SimulatedNtSyscalls.h"
#include "floppy/virtual/SimulatedVwin32Syscalls.h"
#include "floppy/vwin32/Vwin32FloppyDevice.h"
#include "support/FakeMessageBoxes.h"

namespace {

// Passes every request to the simulated VWIN32, keeping the packet and the lent buffers as sent; a scripted
// answer replaces the next ones (nullopt: the device call fails; else the AX of a carry-set reply).
class RecordingVwin32 final : public IVwin32Syscalls {
 public:
  explicit RecordingVwin32(IVwin32Syscalls& inner) : inner_(inner) {}
  NtHandle CreateFileW(const std::string& path, uint32_t access, uint32_t share, uint32_t disposition,
                       uint32_t flags) override {
    opened.push_back(path);
    return inner_.CreateFileW(path, access, share, disposition, flags);
  }
  bool DeviceIoControl(NtHandle device, uint32_t code, DiocRegisters& registers) override {
    sent.push_back({code, registers, lent_});
    lent_.clear();
    if (!answers.empty()) {
      std::optional<uint16_t> answer = answers.front();
      answers.pop_front();
      if (!answer) return false;
      registers.eax = *answer;
      registers.flags |= kCarryFlag;
      return true;
    }
    return inner_.DeviceIoControl(device, code, registers);
  }
  uint32_t AddressOf(const void* data, uint32_t bytes) override {
    const auto* at = static_cast<const uint8_t*>(data);
    lent_.emplace_back(at, at + bytes);
    return inner_.AddressOf(data, bytes);
  }
  bool CloseHandle(NtHandle handle) override { return inner_.CloseHandle(handle); }
  uint32_t GetLastError() override { return inner_.GetLastError(); }

  struct Sent {
    uint32_t code;
    DiocRegisters registers;
    std::vector<std::vector<uint8_t>> buffers;
  };
  std::vector<std::string> opened;
  std::vector<Sent> sent;
  std::deque<std::optional<uint16_t>> answers;

 private:
  IVwin32Syscalls& inner_;
  std::vector<std::vector<uint8_t>> lent_;
};

DiocRegisters Packet(uint32_t eax, uint32_t ebx, uint32_t ecx, uint32_t edx, uint32_t esi = 0) {
  DiocRegisters r;
  r.eax = eax;
  r.ebx = ebx;
  r.ecx = ecx;
  r.edx = edx;
  r.esi = esi;
  return r;
}

struct Vwin32Path : ::testing::Test {
  std::shared_ptr<MemoryFloppyStore> store = std::make_shared<MemoryFloppyStore>(BootableFloppy({80, 18}));
  SimulatedNtSyscalls drives;
  SimulatedVwin32Syscalls vwin32{drives};
  RecordingVwin32 os{vwin32};
  AppSettings settings;
  FakeMessageBoxes boxes;
  int32_t imageSectorsPerTrack = 18;
  std::unique_ptr<Vwin32FloppyDevice> device;

  void SetUp() override { drives.Attach('A', store); }
  Vwin32FloppyDevice& Open(DeviceAccess access = DeviceAccess::ReadWrite) {
    device = std::make_unique<Vwin32FloppyDevice>(os, DeviceContext{settings, imageSectorsPerTrack, boxes});
    EXPECT_EQ(device->Open(access), 0);
    os.sent.clear();
    return *device;
  }
  std::string Text() const { return boxes.Boxes().empty() ? "" : boxes.Boxes()[0].text; }
};

TEST_F(Vwin32Path, OpensTheVwin32DeviceAndMeasuresTheDiskFromItsBootSector) {
  FloppyGeometry disk;
  ASSERT_EQ(Open(DeviceAccess::Read).GetDiskGeometry(disk), 0);
  EXPECT_EQ(os.opened, std::vector<std::string>{"\\\\.\\vwin32"});
  EXPECT_EQ(disk, (FloppyGeometry{80, 18}));
  ASSERT_EQ(os.sent.size(), 1u);
  EXPECT_EQ(os.sent[0].code, 1u);
  DiocRegisters expected = Packet(0x440D, 1, 0x0860, os.sent[0].registers.edx);
  EXPECT_EQ(os.sent[0].registers, expected);
  std::vector<uint8_t> block(38, 0);
  block[0] = 1;
  EXPECT_EQ(os.sent[0].buffers, std::vector<std::vector<uint8_t>>{block});
}

TEST_F(Vwin32Path, GeometryRetriesOnlyUndeliveredRequests) {
  struct Case {
    std::deque<std::optional<uint16_t>> answers;
    std::size_t requests;
    int id;
    const char* text;
  } cases[] = {
      {{std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt}, 5, 57667,
       "不能确定软盘类型(错误: 0x440D)。"},
      {{std::nullopt, 5}, 2, 57711, "驱动器中没有软盘。"},
      {{0x1A}, 1, 57667, "不能确定软盘类型(错误: 0x001A)。"},
  };
  for (const Case& c : cases) {
    Vwin32FloppyDevice& drive = Open();
    boxes.Clear();
    os.answers = c.answers;
    FloppyGeometry disk;
    EXPECT_EQ(drive.GetDiskGeometry(disk), -1);
    EXPECT_EQ(os.sent.size(), c.requests);
    EXPECT_EQ(boxes.Ids(), std::vector<int>{c.id});
    EXPECT_EQ(Text(), c.text);
  }
}

TEST_F(Vwin32Path, VerifyingSector19AddressesCylinder0Head1Sector2) {
  ASSERT_EQ(Open().Verify(512, 19, 1), 0);
  ASSERT_EQ(os.sent.size(), 1u);
  EXPECT_EQ(os.sent[0].code, 4u);
  EXPECT_EQ(os.sent[0].registers, Packet(0x0401, 0, 0x0002, 0x0100));
}

TEST_F(Vwin32Path, FormattingTrack3Head1OnDriveBSendsTheAddressList) {
  drives.Attach('B', std::make_shared<MemoryFloppyStore>(NewVirtualFloppy({80, 18})));
  settings.m_fdLetter = "B:";
  Vwin32FloppyDevice& drive = Open();
  ASSERT_EQ(drive.SetMediaType({80, 18}), 0);
  EXPECT_EQ(os.sent[0].registers, Packet(0x1800, 0, 0x4F12, 1));
  ASSERT_EQ(drive.FormatTrack(3, 1, {80, 18}, std::vector<uint32_t>(2880, 1)), 0);  // flags are not applied
  ASSERT_EQ(os.sent.size(), 2u);
  EXPECT_EQ(os.sent[1].registers, Packet(0x0512, os.sent[1].registers.ebx, 0x0300, 0x0101));
  std::vector<uint8_t> list;
  for (uint8_t sector = 1; sector <= 18; ++sector) list.insert(list.end(), {3, 1, sector, 2});
  EXPECT_EQ(os.sent[1].buffers, std::vector<std::vector<uint8_t>>{list});
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Vwin32Path, AFormatIsTriedSixTimesAndItsFailureShownOnce) {
  struct Case {
    uint16_t ax;
    int id;
    const char* text;
  } cases[] = {
      {0x0300, 57668, "软盘有防写入保护。"},
      {0x03FF, 57668, "软盘有防写入保护。"},  // AL is not looked at
      {0x8000, 57711, "驱动器中没有软盘。"},
      {0x0C00, 57706, "不能格式化软盘的磁轨 2，磁头 1 (错误: 0x0C00)。"},
  };
  for (const Case& c : cases) {
    Vwin32FloppyDevice& drive = Open();
    boxes.Clear();
    os.answers.assign(6, c.ax);
    EXPECT_EQ(drive.FormatTrack(2, 1, {80, 18}, {}), -1);
    EXPECT_EQ(os.sent.size(), 6u);
    EXPECT_EQ(boxes.Ids(), std::vector<int>{c.id});
    EXPECT_EQ(Text(), c.text);
  }
  // A request that succeeds within the six ends the retries.
  Vwin32FloppyDevice& drive = Open();
  ASSERT_EQ(drive.SetMediaType({80, 18}), 0);
  os.sent.clear();
  os.answers = {0x2000, std::nullopt};
  EXPECT_EQ(drive.FormatTrack(2, 1, {80, 18}, {}), 0);
  EXPECT_EQ(os.sent.size(), 3u);
}

TEST_F(Vwin32Path, SetMediaTypeFailureAndFormatsWithoutAMediaValue) {
  Vwin32FloppyDevice& drive = Open();
  os.answers = {0x0C00};
  EXPECT_EQ(drive.SetMediaType({80, 18}), -1);
  EXPECT_EQ(Text(), "不能设置格式的媒体类型(错误: 0x0C00)。");
  ASSERT_EQ(drive.SetMediaType({80, 21}), 0);  // the nearest standard medium: 18 sectors
  EXPECT_EQ(os.sent.back().registers.ecx, 0x4F12u);
  EXPECT_EQ(drive.SetMediaType({80, 10}), 0);
  EXPECT_EQ(os.sent.back().registers.ecx, 0x4F09u);
}

TEST_F(Vwin32Path, ReadsAndWritesAddressSectorsByTheDiskIoBlock) {
  Vwin32FloppyDevice& drive = Open();
  std::vector<uint8_t> side(18 * 512);
  uint32_t transferred = 0;
  ASSERT_EQ(drive.Read(side.data(), 18 * 512, transferred, 54, 18), 0);
  EXPECT_EQ(side, SectorsOf(store->floppy, 54, 18));
  ASSERT_EQ(os.sent.size(), 1u);
  const DiocRegisters& r = os.sent[0].registers;
  EXPECT_EQ(os.sent[0].code, 6u);
  EXPECT_EQ(r, Packet(0x7305, r.ebx, 0xFFFF, 1, 0));
  ASSERT_EQ(os.sent[0].buffers.size(), 2u);  // the data buffer, then the block that names it
  DiskIoBlock block = DecodeDiskIoBlock(os.sent[0].buffers[1].data());
  EXPECT_EQ(block.startSector, 54u);
  EXPECT_EQ(block.count, 18);

  std::vector<uint8_t> sector = SectorPattern(3, 9);
  ASSERT_EQ(drive.Write(sector.data(), 512, transferred, 1000, 1), 0);
  EXPECT_EQ(os.sent[1].registers.esi, 1u);
  // The end of a short image: only the sectors its bytes fill.
  ASSERT_EQ(drive.Write(side.data(), 2 * 512, transferred, 72, 18), 0);
  EXPECT_EQ(DecodeDiskIoBlock(os.sent[2].buffers[1].data()).count, 2);
  drive.MovePointer(-512);  // nothing to move on this path
  ASSERT_EQ(drive.Close(), 0);
  EXPECT_EQ(SectorsOf(store->floppy, 1000, 1), sector);
  EXPECT_EQ(store->saves, 1);  // the session ends with the device
}

TEST_F(Vwin32Path, TransferFailuresShowTheirMessages) {
  struct Case {
    bool write;
    uint16_t ax;
    int emergency, format, recreate;
    std::vector<int> ids;
    const char* text;
  } cases[] = {
      {false, 0x0017, 0, 0, 0, {119}, "不能读取软盘的磁轨 1，磁头 1 (错误: 0x0017)。\n请在 \"紧急读取模式\" 下读取该软盘。"},
      {false, 0x0017, 1, 0, 0, {}, ""},
      {true, 0x0300, 0, 0, 0, {57668}, "软盘有防写入保护。"},
      {true, 0x0300, 0, 1, 1, {}, ""},
      {true, 0x001D, 0, 1, 0, {118}, "不能写入软盘的磁轨 1，磁头 1 (错误: 0x001D)。\n请在写入前先尝试格式化该软盘。"},
  };
  for (const Case& c : cases) {
    settings.m_emergency = c.emergency;
    settings.m_formatDisk = c.format;
    settings.m_recreateBad = c.recreate;
    Vwin32FloppyDevice& drive = Open();
    boxes.Clear();
    os.answers = {c.ax};
    std::vector<uint8_t> side(18 * 512);
    uint32_t transferred = 0;
    int result = c.write ? drive.Write(side.data(), 18 * 512, transferred, 54, 18)
                         : drive.Read(side.data(), 18 * 512, transferred, 54, 18);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(boxes.Ids(), c.ids);
    EXPECT_EQ(Text(), c.text);
  }
}

TEST_F(Vwin32Path, VerifyFailuresNameTheSectorOrTheSide) {
  Vwin32FloppyDevice& drive = Open();
  os.answers = {0x1000, 0x1000};
  EXPECT_EQ(drive.Verify(512, 40, 1), -1);
  EXPECT_EQ(drive.Verify(9216, 36, 18), -1);
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  EXPECT_EQ(boxes.Boxes()[0].text, "不能验证软盘的扇区 41 (错误: 0x1000)。\n你必须更换该软盘。");
  EXPECT_EQ(boxes.Boxes()[1].text, "不能验证软盘的磁轨 1，磁头 0 (错误: 0x1000)。\n你必须更换该软盘。");
}

// The simulated BIOS and DOS answer as the real ones: carry and AX from what the drive met.
TEST_F(Vwin32Path, TheSimulatedServicesAnswerWithTheCodesOfTheDrive) {
  struct Case {
    const char* title;
    std::function<void(VirtualFloppy&)> prepare;
    std::function<int(Vwin32FloppyDevice&)> act;
    const char* text;
  } cases[] = {
      {"no boot sector", [](VirtualFloppy& f) { f = PatternedFloppy({80, 18}); },
       [](Vwin32FloppyDevice& d) { FloppyGeometry g; return d.GetDiskGeometry(g); },
       "不能确定软盘类型(错误: 0x001A)。"},
      {"no disk", [](VirtualFloppy& f) { f.diskAbsent = true; },
       [](Vwin32FloppyDevice& d) { FloppyGeometry g; return d.GetDiskGeometry(g); }, "驱动器中没有软盘。"},
      {"write protected format", [](VirtualFloppy& f) { f.writeProtected = true; },
       [](Vwin32FloppyDevice& d) { return d.SetMediaType({80, 18}) | d.FormatTrack(0, 0, {80, 18}, {}); },
       "软盘有防写入保护。"},
      {"no disk to format", [](VirtualFloppy& f) { f.diskAbsent = true; },
       [](Vwin32FloppyDevice& d) { return d.SetMediaType({80, 18}); }, "不能设置格式的媒体类型(错误: 0x8000)。"},
      {"720 KB medium in a 5.25-inch drive", [](VirtualFloppy& f) { f = NewVirtualFloppy({80, 15}); },
       [](Vwin32FloppyDevice& d) { return d.SetMediaType({80, 9}) | d.FormatTrack(4, 0, {80, 9}, {}); },
       "不能格式化软盘的磁轨 4，磁头 0 (错误: 0x0100)。"},
      {"write protected write", [](VirtualFloppy& f) { f.writeProtected = true; },
       [](Vwin32FloppyDevice& d) { std::vector<uint8_t> s(512); uint32_t n = 0; return d.Write(s.data(), 512, n, 7, 1); },
       "软盘有防写入保护。"},
      {"unreadable sector verified", [](VirtualFloppy& f) { MarkSector(f, 40, kSlotUnreadable); },
       [](Vwin32FloppyDevice& d) { return d.Verify(9216, 36, 18); },
       "不能验证软盘的磁轨 1，磁头 0 (错误: 0x1000)。\n你必须更换该软盘。"},
      {"sector formatted as bad", [](VirtualFloppy& f) { f.slots[40].id = 0; },
       [](Vwin32FloppyDevice& d) { return d.Verify(512, 40, 1); },
       "不能验证软盘的扇区 41 (错误: 0x0400)。\n你必须更换该软盘。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    store->floppy = BootableFloppy({80, 18});
    c.prepare(store->floppy);
    Vwin32FloppyDevice& drive = Open();
    boxes.Clear();
    EXPECT_EQ(c.act(drive), -1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(Text(), c.text);
    drive.Close();
  }
}

TEST_F(Vwin32Path, ADiskFormattedThroughThePathCanBeMeasured) {
  store->floppy = NewVirtualFloppy({80, 9});
  std::memset(store->floppy.data.data(), 0, store->floppy.data.size());
  Vwin32FloppyDevice& drive = Open();
  FloppyGeometry disk;
  EXPECT_EQ(drive.GetDiskGeometry(disk), -1);  // nothing recorded on it yet
  boxes.Clear();
  ASSERT_EQ(drive.SetMediaType({80, 18}), 0);
  for (int track = 0; track < 80; ++track) {
    for (int head = 0; head < 2; ++head) ASSERT_EQ(drive.FormatTrack(track, head, {80, 18}, {}), 0);
  }
  ASSERT_EQ(drive.GetDiskGeometry(disk), 0);
  EXPECT_EQ(disk, (FloppyGeometry{80, 18}));
  EXPECT_EQ(drive.Verify(9216, 2862, 18), 0);
  EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace

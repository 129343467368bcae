#include "floppy/nt/NtFloppyDevice.h"

#include <gtest/gtest.h>

#include "floppy/nt/RecordingNtSyscalls.h"
#include "base/Win32Codes.h"
#include "support/FakeMessageBoxes.h"

namespace {

// A request as hex words: the five 32-bit fields, then 16-bit ones up to the last sector ID (the zeros after
// it are checked on their own).
std::string Hex(const std::vector<uint8_t>& bytes) {
  std::size_t end = bytes.size();
  if (end > 24) end = std::min<std::size_t>(end, 24 + 2 * (bytes[22] | bytes[23] << 8));
  std::string text;
  char pair[3];
  for (std::size_t i = 0; i < end; ++i) {
    if (i > 0 && (i <= 20 ? i % 4 == 0 : i % 2 == 0)) text += ' ';
    std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
    text += pair;
  }
  return text;
}

struct DeviceTest : ::testing::Test {
  AppSettings settings;
  FakeMessageBoxes boxes;
  RecordingNtSyscalls os;
  int32_t imageSectorsPerTrack = 18;

  std::unique_ptr<NtFloppyDevice> OpenDevice() {
    auto device = std::make_unique<NtFloppyDevice>(os, DeviceContext{settings, imageSectorsPerTrack, boxes});
    EXPECT_EQ(device->Open(DeviceAccess::ReadWrite), 0);
    os.calls.clear();
    return device;
  }
  void ExpectOneError(int id, const std::string& text) {
    ASSERT_EQ(boxes.Boxes().size(), 1u) << text;
    EXPECT_EQ(boxes.Boxes()[0].textId, id);
    EXPECT_EQ(boxes.Boxes()[0].text, text);
    EXPECT_EQ(boxes.Boxes()[0].icon, MessageIcon::Error);
  }
};

TEST_F(DeviceTest, OpensTheDrivesDevicePathWithTheJobsAccess) {
  struct Case {
    const char* letter;
    DeviceAccess access;
    const char* call;
  } cases[] = {
      {"A:", DeviceAccess::Read, "CreateFileW(\\\\.\\A:, 0x80000000, 0x1, 0x3, 0)"},
      {"A:", DeviceAccess::ReadWrite, "CreateFileW(\\\\.\\A:, 0xc0000000, 0x3, 0x3, 0)"},
      {"B:", DeviceAccess::Read, "CreateFileW(\\\\.\\B:, 0x80000000, 0x1, 0x3, 0)"},
  };
  for (const Case& c : cases) {
    os.calls.clear();
    settings.m_fdLetter = c.letter;
    NtFloppyDevice device(os, {settings, 18, boxes});
    EXPECT_EQ(device.Open(c.access), 0);
    EXPECT_EQ(os.calls, std::vector<std::string>{c.call});
  }
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(DeviceTest, AFailedOpenNamesTheDrive) {
  settings.m_fdLetter = "B:";
  os.Script("CreateFileW", {2});
  NtFloppyDevice device(os, {settings, 18, boxes});
  EXPECT_EQ(device.Open(DeviceAccess::Read), -1);
  ExpectOneError(107, "不能打开 B:。");
  device.Close();
  EXPECT_EQ(os.calls.size(), 1u);  // nothing to close
}

TEST_F(DeviceTest, EachHandleIsClosedExactlyOnce) {
  {
    auto owned = OpenDevice();
    NtFloppyDevice& device = *owned;
    device.Close();
    device.Close();
    EXPECT_EQ(os.calls, std::vector<std::string>{"CloseHandle(0x44)"});
    EXPECT_EQ(device.Open(DeviceAccess::Read), 0);
    EXPECT_EQ(device.Open(DeviceAccess::Read), 0);  // a second open replaces the first handle
    EXPECT_EQ(os.calls.size(), 4u);
    EXPECT_EQ(os.calls[2], "CloseHandle(0x44)");
  }
  EXPECT_EQ(os.calls.back(), "CloseHandle(0x44)");  // the destructor closes what is still open
  EXPECT_EQ(os.calls.size(), 5u);
}

TEST_F(DeviceTest, GeometryIsAskedUpToFiveTimes) {
  struct Case {
    std::initializer_list<uint32_t> failures;
    int result;
    std::size_t requests;
    int id;
    const char* text;
  } cases[] = {
      {{}, 0, 1, 0, ""},
      {{21, 21, 21, 21}, 0, 5, 0, ""},
      {{21, 21, 21, 21, 21}, -1, 5, 57711, "驱动器中没有软盘。"},
      {{31, 31, 31, 31, 21}, -1, 5, 57711, "驱动器中没有软盘。"},  // the last error decides
      {{21, 21, 21, 21, 1117}, -1, 5, 57667, "不能确定软盘类型(错误: 0x045D)。"},
      {{50, 50, 50, 50, 50}, -1, 5, 57667, "不能确定软盘类型(错误: 0x0032)。"},
      {{0x1785A, 0x1785A, 0x1785A, 0x1785A, 0x1785A}, -1, 5, 57667, "不能确定软盘类型(错误: 0x1785A)。"},
  };
  for (const Case& c : cases) {
    boxes.Clear();
    auto owned = OpenDevice();
    NtFloppyDevice& device = *owned;
    os.Script("DeviceIoControl", c.failures);
    FloppyGeometry disk{1, 1};
    EXPECT_EQ(device.GetDiskGeometry(disk), c.result);
    ASSERT_EQ(os.calls.size(), c.requests);
    for (const std::string& call : os.calls) EXPECT_EQ(call, "DeviceIoControl(0x44, 0x70000, 0, out, 24)");
    if (c.result == 0) {
      EXPECT_EQ(disk, (FloppyGeometry{80, 18}));
      EXPECT_TRUE(boxes.Boxes().empty());
    } else {
      ExpectOneError(c.id, c.text);
    }
  }
}

TEST_F(DeviceTest, GeometryTakesTheLowHalfOfTheCylindersAndRefusesNonsense) {
  struct Case {
    NtDiskGeometry reply;
    int result;
    FloppyGeometry disk;
  } cases[] = {
      {{0x100000028LL, 6, 2, 9, 512}, 0, {40, 9}},
      {{80, 0, 1, 21, 1024}, 0, {80, 21}},  // media type, heads and sector size are not used
      {{80, 2, 2, 0, 512}, -1, {}},
      {{0, 2, 2, 18, 512}, -1, {}},
      {{80, 2, 2, 0x10000, 512}, -1, {}},
  };
  for (const Case& c : cases) {
    boxes.Clear();
    os.geometry = c.reply;
    auto owned = OpenDevice();
    NtFloppyDevice& device = *owned;
    FloppyGeometry disk;
    EXPECT_EQ(device.GetDiskGeometry(disk), c.result);
    if (c.result == 0) {
      EXPECT_EQ(disk, c.disk);
    } else {
      EXPECT_EQ(os.calls.size(), 1u);  // an answer that makes no sense is not asked again
      ExpectOneError(57667, "不能确定软盘类型(错误: 0x06F9)。");
    }
  }
}

TEST_F(DeviceTest, FormatRequestsAreByteExact) {
  const std::string plain = "DeviceIoControl(0x44, 0x7c018, 20, null, 0)";
  const std::string extended = "DeviceIoControl(0x44, 0x7c02c, 224, null, 0)";
  const int64_t side1440 = (5 * 2 + 1) * 18, side1680 = (5 * 2 + 1) * 21;
  auto flagsAt = [](std::initializer_list<int64_t> marked, std::size_t size) {
    std::vector<uint32_t> flags(size, 0);
    for (int64_t index : marked) flags[static_cast<std::size_t>(index)] = 1;
    return flags;
  };
  struct Case {
    const char* name;
    int track, head;
    FloppyGeometry image;
    std::vector<uint32_t> flags;
    int result;
    std::string call, bytes;
  } cases[] = {
      {"1440 without flags", 5, 1, {80, 18}, {}, 0, plain, "02000000 05000000 05000000 01000000 01000000"},
      // A side with a flag needs the IDs, so every format sends the extended request for it.
      {"1440 with a flag on sector 3", 5, 1, {80, 18}, flagsAt({side1440 + 3}, 2880), -2, extended,
       "02000000 05000000 05000000 01000000 01000000 6c00 1200 0100 0200 0300 0000 0500 0600 0700 0800 0900 0a00 "
       "0b00 0c00 0d00 0e00 0f00 1000 1100 1200"},
      {"1440 flag list ending just after the flag", 5, 1, {80, 18}, flagsAt({side1440 + 1}, side1440 + 2), -2,
       extended,
       "02000000 05000000 05000000 01000000 01000000 6c00 1200 0100 0000 0300 0400 0500 0600 0700 0800 0900 0a00 "
       "0b00 0c00 0d00 0e00 0f00 1000 1100 1200"},
      {"360 with a flag on sector 0", 39, 0, {40, 9}, flagsAt({39 * 2 * 9}, 720), -2, extended,
       "06000000 27000000 27000000 00000000 00000000 5000 0900 0000 0200 0300 0400 0500 0600 0700 0800 0900"},
      {"720 with a flag on sector 8", 0, 1, {80, 9}, flagsAt({9 + 8}, 1440), -2, extended,
       "05000000 00000000 00000000 01000000 01000000 5000 0900 0100 0200 0300 0400 0500 0600 0700 0800 0000"},
      {"1200 with a flag on sector 14", 79, 1, {80, 15}, flagsAt({(79 * 2 + 1) * 15 + 14}, 2400), -2, extended,
       "01000000 4f000000 4f000000 01000000 01000000 5400 0f00 0100 0200 0300 0400 0500 0600 0700 0800 0900 0a00 "
       "0b00 0c00 0d00 0e00 0000"},
      {"1440 flag list ending on the side", 5, 1, {80, 18}, std::vector<uint32_t>(side1440 + 3, 0), 0, plain,
       "02000000 05000000 05000000 01000000 01000000"},
      {"1440 flag on the other head", 5, 0, {80, 18}, flagsAt({side1440 + 3}, 2880), 0, plain,
       "02000000 05000000 05000000 00000000 00000000"},
      {"1440 only the value 1 flags", 5, 1, {80, 18}, std::vector<uint32_t>(2880, 2), 0, plain,
       "02000000 05000000 05000000 01000000 01000000"},
      {"360", 39, 0, {40, 9}, {}, 0, plain, "06000000 27000000 27000000 00000000 00000000"},
      {"720", 0, 1, {80, 9}, {}, 0, plain, "05000000 00000000 00000000 01000000 01000000"},
      {"1200", 79, 1, {80, 15}, {}, 0, plain, "01000000 4f000000 4f000000 01000000 01000000"},
      {"unknown product: media type 0", 3, 0, {80, 11}, {}, 0, plain,
       "00000000 03000000 03000000 00000000 00000000"},
      {"800", 79, 0, {80, 10}, {}, 0, extended,
       "05000000 4f000000 4f000000 00000000 00000000 2e00 0a00 0100 0200 0300 0400 0500 0600 0700 0800 0900 0a00"},
      {"1680 without flags", 5, 1, {80, 21}, {}, 0, extended,
       "02000000 05000000 05000000 01000000 01000000 0c00 1500 0100 0c00 0200 0d00 0300 0e00 0400 0f00 0500 1000 "
       "0600 1100 0700 1200 0800 1300 0900 1400 0a00 1500 0b00"},
      // Sector 3 of the side carries ID 4, which the 2:1 interleave puts at position 6.
      {"1680 with a flag on sector 3", 5, 1, {80, 21}, flagsAt({side1680 + 3}, 3360), -2, extended,
       "02000000 05000000 05000000 01000000 01000000 0c00 1500 0100 0c00 0200 0d00 0300 0e00 0000 0f00 0500 1000 "
       "0600 1100 0700 1200 0800 1300 0900 1400 0a00 1500 0b00"},
      {"1680 with flags on sectors 0 and 20", 5, 1, {80, 21}, flagsAt({side1680, side1680 + 20}, 3360), -2, extended,
       "02000000 05000000 05000000 01000000 01000000 0c00 1500 0000 0c00 0200 0d00 0300 0e00 0400 0f00 0500 1000 "
       "0600 1100 0700 1200 0800 1300 0900 1400 0a00 0000 0b00"},
  };
  for (const Case& c : cases) {
    os.calls.clear();
    os.inputs.clear();
    auto owned = OpenDevice();
    NtFloppyDevice& device = *owned;
    EXPECT_EQ(device.FormatTrack(c.track, c.head, c.image, c.flags), c.result) << c.name;
    EXPECT_EQ(os.calls, std::vector<std::string>{c.call}) << c.name;
    ASSERT_EQ(os.inputs.size(), 1u);
    EXPECT_EQ(Hex(os.inputs[0]), c.bytes) << c.name;
  }
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(DeviceTest, TheExtendedRequestIsAlways224BytesWithZerosAfterTheIds) {
  auto owned = OpenDevice();
  NtFloppyDevice& device = *owned;
  device.FormatTrack(0, 0, {80, 10}, {});
  ASSERT_EQ(os.inputs[0].size(), 224u);
  for (std::size_t i = 24 + 2 * 10; i < 224; ++i) EXPECT_EQ(os.inputs[0][i], 0) << i;
}

TEST_F(DeviceTest, AFailedFormatIsTriedOnceAndNamesItsCause) {
  struct Case {
    uint32_t error;
    int id;
    const char* text;
  } cases[] = {
      {19, 57668, "软盘有防写入保护。"},
      {21, 57711, "驱动器中没有软盘。"},
      {50, 57721, "软盘驱动器不支持所请求的命令。\n你正在使用的可能是一个不支持所请求命令的 USB 软盘驱动器。"},
      {1, 57721, "软盘驱动器不支持所请求的命令。\n你正在使用的可能是一个不支持所请求命令的 USB 软盘驱动器。"},
      {87, 57706, "不能格式化软盘的磁轨 5，磁头 1 (错误: 0x0057)。"},
      {1124, 57706, "不能格式化软盘的磁轨 5，磁头 1 (错误: 0x0464)。"},
  };
  for (const Case& c : cases) {
    boxes.Clear();
    auto owned = OpenDevice();
    NtFloppyDevice& device = *owned;
    os.Script("DeviceIoControl", {c.error});
    std::vector<uint32_t> flags(3360, 1);  // a failed format is -1 even with flags on the side
    EXPECT_EQ(device.FormatTrack(5, 1, {80, 21}, flags), -1);
    EXPECT_EQ(os.calls.size(), 1u);
    ExpectOneError(c.id, c.text);
  }
}

TEST_F(DeviceTest, ReadFailuresAreSilentOnlyInEmergencyMode) {
  const int64_t start = (5 * 2 + 1) * 18 + 3;  // track 5, head 1
  struct Case {
    uint32_t emergency;
    uint32_t error;
    int result;
    const char* text;
  } cases[] = {
      {0, 0, 0, nullptr},
      {1, 0, 0, nullptr},
      {1, 23, -1, nullptr},
      {1, 27, -1, nullptr},
      {0, 23, -1, "不能读取软盘的磁轨 5，磁头 1 (错误: 0x0017)。\n请在 \"紧急读取模式\" 下读取该软盘。"},
      {0, 21, -1, "不能读取软盘的磁轨 5，磁头 1 (错误: 0x0015)。\n请在 \"紧急读取模式\" 下读取该软盘。"},
  };
  for (const Case& c : cases) {
    boxes.Clear();
    settings.m_emergency = c.emergency;
    auto owned = OpenDevice();
    NtFloppyDevice& device = *owned;
    os.Script("ReadFile", {c.error});
    std::vector<uint8_t> buffer(512, 0);
    uint32_t transferred = 99;
    EXPECT_EQ(device.Read(buffer.data(), 512, transferred, start, 1), c.result);
    EXPECT_EQ(os.calls, std::vector<std::string>{"ReadFile(0x44, 512)"});
    EXPECT_EQ(transferred, c.result == 0 ? 512u : 0u);
    if (c.text) {
      ExpectOneError(119, c.text);
    } else {
      EXPECT_TRUE(boxes.Boxes().empty());
    }
  }
}

TEST_F(DeviceTest, MessagesCountTracksWithTheImagesSectorsPerTrack) {
  struct Case {
    int32_t imageSectors;
    int64_t start;
    const char* text;
  } cases[] = {
      {18, 0, "不能读取软盘的磁轨 0，磁头 0 (错误: 0x0017)。\n请在 \"紧急读取模式\" 下读取该软盘。"},
      {18, 18, "不能读取软盘的磁轨 0，磁头 1 (错误: 0x0017)。\n请在 \"紧急读取模式\" 下读取该软盘。"},
      {9, 18, "不能读取软盘的磁轨 1，磁头 0 (错误: 0x0017)。\n请在 \"紧急读取模式\" 下读取该软盘。"},
      {21, 2879, "不能读取软盘的磁轨 68，磁头 1 (错误: 0x0017)。\n请在 \"紧急读取模式\" 下读取该软盘。"},
      // A record without sectors per track must not divide by zero.
      {0, 7, "不能读取软盘的磁轨 3，磁头 1 (错误: 0x0017)。\n请在 \"紧急读取模式\" 下读取该软盘。"},
  };
  for (const Case& c : cases) {
    boxes.Clear();
    imageSectorsPerTrack = c.imageSectors;
    auto owned = OpenDevice();
    NtFloppyDevice& device = *owned;
    os.Script("ReadFile", {23});
    uint8_t buffer[512];
    uint32_t transferred = 0;
    EXPECT_EQ(device.Read(buffer, 512, transferred, c.start, 1), -1);
    ExpectOneError(119, c.text);
  }
}

TEST_F(DeviceTest, WriteFailuresAreSilentWhenRecreatingBadSectors) {
  const int64_t start = 3 * 2 * 9;  // track 3, head 0 of a 720 KB image
  struct Case {
    uint32_t formatDisk, recreateBad, error;
    int id;
    const char* text;
  } cases[] = {
      {1, 1, 27, 0, nullptr},
      {1, 1, 19, 0, nullptr},  // even write protection
      {1, 0, 19, 57668, "软盘有防写入保护。"},
      {0, 1, 19, 57668, "软盘有防写入保护。"},
      {0, 1, 27, 118, "不能写入软盘的磁轨 3，磁头 0 (错误: 0x001B)。\n请在写入前先尝试格式化该软盘。"},
      {0, 0, 29, 118, "不能写入软盘的磁轨 3，磁头 0 (错误: 0x001D)。\n请在写入前先尝试格式化该软盘。"},
  };
  imageSectorsPerTrack = 9;
  for (const Case& c : cases) {
    boxes.Clear();
    settings.m_formatDisk = c.formatDisk;
    settings.m_recreateBad = c.recreateBad;
    auto owned = OpenDevice();
    NtFloppyDevice& device = *owned;
    os.Script("WriteFile", {c.error});
    std::vector<uint8_t> buffer(4608, 0);
    uint32_t transferred = 0;
    EXPECT_EQ(device.Write(buffer.data(), 4608, transferred, start, 9), -1);
    EXPECT_EQ(os.calls, std::vector<std::string>{"WriteFile(0x44, 4608)"});
    if (c.text) {
      ExpectOneError(c.id, c.text);
    } else {
      EXPECT_TRUE(boxes.Boxes().empty());
    }
  }
  auto owned = OpenDevice();
  NtFloppyDevice& device = *owned;
  uint32_t transferred = 0;
  std::vector<uint8_t> buffer(4608, 0);
  EXPECT_EQ(device.Write(buffer.data(), 4608, transferred, start, 9), 0);
  EXPECT_EQ(transferred, 4608u);
}

TEST_F(DeviceTest, VerifyReadsBackAndNamesASectorFromOneOrATrack) {
  struct Case {
    int64_t start;
    int count;
    uint32_t emergency;
    int id;
    const char* text;
  } cases[] = {
      {37, 1, 0, 57716, "不能验证软盘的扇区 38 (错误: 0x0017)。\n你必须更换该软盘。"},
      {0, 1, 1, 57716, "不能验证软盘的扇区 1 (错误: 0x0017)。\n你必须更换该软盘。"},
      {(5 * 2 + 1) * 18, 18, 0, 57715, "不能验证软盘的磁轨 5，磁头 1 (错误: 0x0017)。\n你必须更换该软盘。"},
      {36, 2, 1, 57715, "不能验证软盘的磁轨 1，磁头 0 (错误: 0x0017)。\n你必须更换该软盘。"},
  };
  for (const Case& c : cases) {
    boxes.Clear();
    settings.m_emergency = c.emergency;
    auto owned = OpenDevice();
    NtFloppyDevice& device = *owned;
    uint32_t bytes = static_cast<uint32_t>(c.count) * 512;
    EXPECT_EQ(device.Verify(bytes, c.start, c.count), 0);
    os.Script("ReadFile", {23});
    EXPECT_EQ(device.Verify(bytes, c.start, c.count), -1);
    std::string read = "ReadFile(0x44, " + std::to_string(bytes) + ")";
    EXPECT_EQ(os.calls, (std::vector<std::string>{read, read}));
    ExpectOneError(c.id, c.text);
  }
}

TEST_F(DeviceTest, PointerMovesAreRelativeToTheCurrentPosition) {
  auto owned = OpenDevice();
  NtFloppyDevice& device = *owned;
  device.MovePointer(512);
  device.MovePointer(-9216);
  EXPECT_EQ(os.calls, (std::vector<std::string>{"SetFilePointer(0x44, 512, null, 1)",
                                                "SetFilePointer(0x44, -9216, null, 1)"}));
}

TEST_F(DeviceTest, VolumeSpaceIsTheLowHalfOfTheDrivesSizes) {
  settings.m_fdLetter = "B:";
  NtFloppyDevice device(os, {settings, 18, boxes});
  os.space = {0x100000200ULL, 0x300168000ULL, 0x100000400ULL};
  VolumeSpace space = device.QueryVolumeSpace();
  EXPECT_TRUE(space.known);
  EXPECT_EQ(space.totalBytes, 0x168000);
  EXPECT_EQ(space.freeBytes, 0x400);  // the total free bytes, not the caller's share
  EXPECT_EQ(os.calls, std::vector<std::string>{"GetDiskFreeSpaceExW(B:)"});

  os.Script("GetDiskFreeSpaceExW", {1005});
  space = device.QueryVolumeSpace();
  EXPECT_FALSE(space.known);
  EXPECT_EQ(space.totalBytes, 0);
  EXPECT_EQ(space.freeBytes, 0);
  EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace

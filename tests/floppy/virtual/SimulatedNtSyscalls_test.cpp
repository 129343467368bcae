#include "floppy/virtual/SimulatedNtSyscalls.h"

#include <gtest/gtest.h>

#include <thread>

#include "floppy/FloppyFixtures.h"
#include "base/Win32Codes.h"
#include "filesystem/Fat12.h"
#include "floppy/nt/NtRecords.h"

namespace {

constexpr uint32_t kReadWrite = kGenericRead | kGenericWrite;
constexpr uint32_t kShareBoth = kFileShareRead | kFileShareWrite;

struct SyscallTest : ::testing::Test {
  std::shared_ptr<MemoryFloppyStore> store = std::make_shared<MemoryFloppyStore>(PatternedFloppy({80, 18}));
  SimulatedNtSyscalls os;

  void SetUp() override { os.Attach('A', store); }
  NtHandle Open(uint32_t access = kReadWrite, uint32_t share = kShareBoth) {
    return os.CreateFileW("\\\\.\\A:", access, share, kOpenExisting, 0);
  }
  uint32_t Position(NtHandle handle) { return os.SetFilePointer(handle, 0, nullptr, kFileCurrent); }
  bool Format(NtHandle handle, uint32_t code, const std::vector<uint8_t>& request) {
    uint32_t returned = 7;
    return os.DeviceIoControl(handle, code, request.data(), static_cast<uint32_t>(request.size()), nullptr, 0,
                              &returned);
  }
  NtDiskGeometry Geometry(NtHandle handle) {
    std::array<uint8_t, kDiskGeometryBytes> reply{};
    uint32_t returned = 0;
    EXPECT_TRUE(os.DeviceIoControl(handle, kIoctlDiskGetDriveGeometry, nullptr, 0, reply.data(), 24, &returned));
    EXPECT_EQ(returned, 24u);
    return DecodeDiskGeometry(reply.data());
  }
};

TEST_F(SyscallTest, OnlyTheDevicePathsOfAttachedDrivesOpen) {
  struct Case {
    const char* path;
    uint32_t access, share, disposition;
    uint32_t error;
  } cases[] = {
      {"\\\\.\\A:", kGenericRead, kFileShareRead, kOpenExisting, 0},
      {"\\\\.\\a:", kReadWrite, kShareBoth, kOpenExisting, 0},
      {"\\\\.\\B:", kGenericRead, kFileShareRead, kOpenExisting, kErrorFileNotFound},
      {"\\\\.\\A:\\", kGenericRead, kFileShareRead, kOpenExisting, kErrorFileNotFound},
      {"A:", kGenericRead, kFileShareRead, kOpenExisting, kErrorFileNotFound},
      {"\\\\?\\A:", kGenericRead, kFileShareRead, kOpenExisting, kErrorFileNotFound},
      {"\\\\.\\A:", kGenericRead, kFileShareRead, 2, kErrorInvalidParameter},  // CREATE_ALWAYS
      {"\\\\.\\A:", kGenericRead | 0x10000000, kFileShareRead, kOpenExisting, kErrorInvalidParameter},
  };
  for (const Case& c : cases) {
    NtHandle handle = os.CreateFileW(c.path, c.access, c.share, c.disposition, 0);
    if (c.error == 0) {
      EXPECT_NE(handle, kInvalidNtHandle) << c.path;
      EXPECT_TRUE(os.CloseHandle(handle));
    } else {
      EXPECT_EQ(handle, kInvalidNtHandle) << c.path;
      EXPECT_EQ(os.GetLastError(), c.error) << c.path;
    }
  }
}

TEST_F(SyscallTest, SharingModesDecideWhetherASecondHandleOpens) {
  struct Case {
    uint32_t firstAccess, firstShare, secondAccess, secondShare;
    bool opens;
  } cases[] = {
      {kGenericRead, kFileShareRead, kGenericRead, kFileShareRead, true},
      {kGenericRead, kFileShareRead, kReadWrite, kShareBoth, false},  // the first does not share writing
      {kReadWrite, kShareBoth, kGenericRead, kFileShareRead, false},  // the second does not let the first write
      {kReadWrite, kShareBoth, kReadWrite, kShareBoth, true},
      {kGenericRead, 0, kGenericRead, kFileShareRead, false},
  };
  for (const Case& c : cases) {
    NtHandle first = Open(c.firstAccess, c.firstShare);
    ASSERT_NE(first, kInvalidNtHandle);
    NtHandle second = Open(c.secondAccess, c.secondShare);
    EXPECT_EQ(second != kInvalidNtHandle, c.opens);
    if (second != kInvalidNtHandle) {
      os.CloseHandle(second);
    } else {
      EXPECT_EQ(os.GetLastError(), static_cast<uint32_t>(kErrorSharingViolation));
    }
    os.CloseHandle(first);
  }
}

TEST_F(SyscallTest, RequestsNeedTheAccessTheirHandleWasOpenedWith) {
  NtHandle reader = Open(kGenericRead, kFileShareRead);
  std::vector<uint8_t> sector(512);
  uint32_t done = 0;
  EXPECT_FALSE(os.WriteFile(reader, sector.data(), 512, &done));
  EXPECT_EQ(os.GetLastError(), static_cast<uint32_t>(kErrorAccessDenied));
  EXPECT_FALSE(Format(reader, kIoctlDiskFormatTracks, EncodeFormatParameters({2, 0, 0, 0, 0})));
  EXPECT_EQ(os.GetLastError(), static_cast<uint32_t>(kErrorAccessDenied));
  EXPECT_EQ(Geometry(reader).sectorsPerTrack, 18u);  // asking for the geometry needs no access
  EXPECT_TRUE(os.ReadFile(reader, sector.data(), 512, &done));
  os.CloseHandle(reader);

  NtHandle writer = Open(kGenericWrite, kShareBoth);
  EXPECT_FALSE(os.ReadFile(writer, sector.data(), 512, &done));
  EXPECT_EQ(os.GetLastError(), static_cast<uint32_t>(kErrorAccessDenied));
  os.CloseHandle(writer);

  struct Case {
    NtHandle handle;
    uint32_t code;
    uint32_t error;
  } cases[] = {
      {0x999, kIoctlDiskGetDriveGeometry, kErrorInvalidHandle},
      {kInvalidNtHandle, kIoctlDiskGetDriveGeometry, kErrorInvalidHandle},
      {0, 0x70004, kErrorInvalidFunction},
      {0, 0x7C01C, kErrorInvalidFunction},
  };
  NtHandle handle = Open();
  for (const Case& c : cases) {
    uint8_t out[24];
    uint32_t returned = 0;
    EXPECT_FALSE(os.DeviceIoControl(c.handle ? c.handle : handle, c.code, nullptr, 0, out, 24, &returned));
    EXPECT_EQ(os.GetLastError(), c.error) << std::hex << c.code;
  }
  uint8_t small[23];
  uint32_t returned = 0;
  EXPECT_FALSE(os.DeviceIoControl(handle, kIoctlDiskGetDriveGeometry, nullptr, 0, small, 23, &returned));
  EXPECT_EQ(os.GetLastError(), kErrorInsufficientBuffer);
}

TEST_F(SyscallTest, FormatRequestsAreCheckedFieldByField) {
  auto plain = [](NtFormatParameters p) { return EncodeFormatParameters(p); };
  auto extended = [](NtFormatParameters p, uint16_t gap, uint16_t sectors, std::vector<uint16_t> ids) {
    return EncodeFormatExParameters({p, gap, sectors, std::move(ids)});
  };
  std::vector<uint16_t> ids21 = FormatSectorIds({80, 21});
  struct Case {
    const char* name;
    uint32_t code;
    std::vector<uint8_t> request;
    uint32_t error;
  } cases[] = {
      {"1440 side", kIoctlDiskFormatTracks, plain({2, 5, 5, 1, 1}), 0},
      {"720 side", kIoctlDiskFormatTracks, plain({5, 79, 79, 0, 0}), 0},
      {"1680 side", kIoctlDiskFormatTracksEx, extended({2, 5, 5, 1, 1}, 12, 21, ids21), 0},
      {"1.2 MB media in a 3.5-inch drive", kIoctlDiskFormatTracks, plain({1, 5, 5, 1, 1}), kErrorInvalidParameter},
      {"360 KB media in a 3.5-inch drive", kIoctlDiskFormatTracks, plain({6, 5, 5, 1, 1}), kErrorInvalidParameter},
      {"unknown media type", kIoctlDiskFormatTracks, plain({0, 5, 5, 1, 1}), kErrorInvalidParameter},
      {"media type 3", kIoctlDiskFormatTracks, plain({3, 5, 5, 1, 1}), kErrorInvalidParameter},
      {"cylinder 80", kIoctlDiskFormatTracks, plain({2, 80, 80, 0, 0}), kErrorInvalidParameter},
      {"start after end cylinder", kIoctlDiskFormatTracks, plain({2, 6, 5, 0, 0}), kErrorInvalidParameter},
      {"head 2", kIoctlDiskFormatTracks, plain({2, 5, 5, 2, 2}), kErrorInvalidParameter},
      {"start after end head", kIoctlDiskFormatTracks, plain({2, 5, 5, 1, 0}), kErrorInvalidParameter},
      {"19 bytes", kIoctlDiskFormatTracks, std::vector<uint8_t>(19, 0), kErrorInvalidParameter},
      {"extended of 27 bytes", kIoctlDiskFormatTracksEx, std::vector<uint8_t>(27, 0), kErrorInvalidParameter},
      {"extended without sectors", kIoctlDiskFormatTracksEx, extended({2, 5, 5, 1, 1}, 12, 0, {}),
       kErrorInvalidParameter},
      {"extended with more IDs than bytes", kIoctlDiskFormatTracksEx, extended({2, 5, 5, 1, 1}, 12, 101, ids21),
       kErrorInvalidParameter},
  };
  NtHandle handle = Open();
  for (const Case& c : cases) {
    EXPECT_EQ(Format(handle, c.code, c.request), c.error == 0) << c.name;
    if (c.error != 0) {
      EXPECT_EQ(os.GetLastError(), c.error) << c.name;
    }
  }
  os.CloseHandle(handle);

  store->floppy.refusesFormat = true;  // a USB drive refuses before looking at the request
  handle = Open();
  EXPECT_FALSE(Format(handle, kIoctlDiskFormatTracks, plain({2, 5, 5, 1, 1})));
  EXPECT_EQ(os.GetLastError(), static_cast<uint32_t>(kErrorNotSupported));
  EXPECT_FALSE(Format(handle, kIoctlDiskFormatTracks, plain({0, 99, 5, 1, 1})));
  EXPECT_EQ(os.GetLastError(), static_cast<uint32_t>(kErrorNotSupported));
  os.CloseHandle(handle);
}

TEST_F(SyscallTest, FormattingChangesTheMediumAsTheRequestSays) {
  NtHandle handle = Open();
  // A plain 720 KB request turns the 1440 KB medium into a 9-sector one.
  ASSERT_TRUE(Format(handle, kIoctlDiskFormatTracks, EncodeFormatParameters({5, 0, 0, 0, 1})));
  NtDiskGeometry geometry = Geometry(handle);
  EXPECT_EQ(geometry.cylinders, 80);
  EXPECT_EQ(geometry.sectorsPerTrack, 9u);
  EXPECT_EQ(geometry.mediaType, kMediaF3_720_512);

  // The extended request lays out exactly the IDs it carries.
  std::vector<uint16_t> ids = FormatSectorIds({80, 21});
  ids[6] = 0;
  ASSERT_TRUE(Format(handle, kIoctlDiskFormatTracksEx, EncodeFormatExParameters({{2, 0, 0, 0, 0}, 12, 21, ids})));
  EXPECT_EQ(Geometry(handle).sectorsPerTrack, 21u);
  std::vector<uint8_t> sector(512);
  uint32_t done = 0;
  for (int index = 0; index < 21; ++index) {
    ASSERT_EQ(os.SetFilePointer(handle, index * 512, nullptr, kFileBegin), static_cast<uint32_t>(index * 512));
    EXPECT_EQ(os.ReadFile(handle, sector.data(), 512, &done), index != 3) << index;  // ID 4 is gone
    if (index == 3) {
      EXPECT_EQ(os.GetLastError(), static_cast<uint32_t>(kErrorSectorNotFound));
    }
  }
  EXPECT_EQ(sector[0], kFormatFillByte);
  os.CloseHandle(handle);
  EXPECT_EQ(store->floppy.geometry, (FloppyGeometry{80, 21}));
}

TEST_F(SyscallTest, TransfersHappenAtTheHandlesPositionInWholeSectors) {
  NtHandle handle = Open();
  std::vector<uint8_t> data = SectorPattern(1234, 9);
  uint32_t done = 0;
  ASSERT_EQ(os.SetFilePointer(handle, 40 * 512, nullptr, kFileBegin), 40u * 512);
  ASSERT_TRUE(os.WriteFile(handle, data.data(), 512, &done));
  EXPECT_EQ(done, 512u);
  EXPECT_EQ(Position(handle), 41u * 512);
  ASSERT_EQ(os.SetFilePointer(handle, -512, nullptr, kFileCurrent), 40u * 512);
  std::vector<uint8_t> back(1024);
  ASSERT_TRUE(os.ReadFile(handle, back.data(), 1024, &done));
  EXPECT_EQ(done, 1024u);
  EXPECT_EQ(std::vector<uint8_t>(back.begin(), back.begin() + 512), data);
  EXPECT_EQ(std::vector<uint8_t>(back.begin() + 512, back.end()), SectorPattern(41));

  struct Case {
    int64_t position;
    uint32_t bytes;
    uint32_t error;
  } cases[] = {
      {100, 512, kErrorInvalidParameter},          // not on a sector boundary
      {512, 100, kErrorInvalidParameter},          // not whole sectors
      {2879 * 512, 1024, kErrorInvalidParameter},  // beyond the medium
      {2880 * 512, 512, kErrorInvalidParameter},   // at the end
      {2880 * 512, 0, 0},                          // nothing to move
  };
  for (const Case& c : cases) {
    os.SetFilePointer(handle, static_cast<int32_t>(c.position), nullptr, kFileBegin);
    done = 77;
    EXPECT_EQ(os.ReadFile(handle, back.data(), c.bytes, &done), c.error == 0) << c.position;
    EXPECT_EQ(done, 0u);
    if (c.error != 0) {
      EXPECT_EQ(os.GetLastError(), c.error);
    }
    EXPECT_EQ(Position(handle), static_cast<uint32_t>(c.position));  // a failed transfer moves nothing
  }
  os.CloseHandle(handle);
}

TEST_F(SyscallTest, FailedSectorsReportTheirWin32Errors) {
  MarkSector(store->floppy, 37, kSlotUnreadable);
  MarkSector(store->floppy, 38, kSlotUnwritable);
  store->floppy.slots[40].id = 0;
  struct Case {
    int64_t sector;
    bool write;
    uint32_t error;
  } cases[] = {
      {36, false, kErrorCrc},  // a track-side read fails with its worst sector
      {37, false, kErrorCrc},
      {37, true, 0},
      {38, true, kErrorWriteFault},
      {38, false, 0},
      {40, false, kErrorSectorNotFound},
      {40, true, kErrorSectorNotFound},
  };
  NtHandle handle = Open();
  std::vector<uint8_t> buffer(18 * 512);
  for (const Case& c : cases) {
    os.SetFilePointer(handle, static_cast<int32_t>(c.sector * 512), nullptr, kFileBegin);
    uint32_t bytes = c.sector == 36 ? 18 * 512 : 512;
    uint32_t done = 0;
    bool ok =
        c.write ? os.WriteFile(handle, buffer.data(), bytes, &done) : os.ReadFile(handle, buffer.data(), bytes, &done);
    EXPECT_EQ(ok, c.error == 0) << c.sector;
    if (!ok) {
      EXPECT_EQ(os.GetLastError(), c.error) << c.sector;
    }
  }
  os.CloseHandle(handle);
}

TEST_F(SyscallTest, FilePointerMovesLikeTheOsMovesIt) {
  NtHandle handle = Open();
  EXPECT_EQ(os.SetFilePointer(handle, 1024, nullptr, kFileCurrent), 1024u);
  EXPECT_EQ(os.GetLastError(), 0u);
  EXPECT_EQ(os.SetFilePointer(handle, -2048, nullptr, kFileCurrent), kInvalidSetFilePointer);
  EXPECT_EQ(os.GetLastError(), kErrorNegativeSeek);
  EXPECT_EQ(Position(handle), 1024u);
  EXPECT_EQ(os.SetFilePointer(handle, -512, nullptr, 2), 1474560u - 512);  // FILE_END
  EXPECT_EQ(os.SetFilePointer(handle, 0, nullptr, 3), kInvalidSetFilePointer);
  EXPECT_EQ(os.GetLastError(), static_cast<uint32_t>(kErrorInvalidParameter));
  int32_t high = 1;
  EXPECT_EQ(os.SetFilePointer(handle, 16, &high, kFileBegin), 16u);
  EXPECT_EQ(high, 1);
  EXPECT_EQ(os.SetFilePointer(0x999, 0, nullptr, kFileCurrent), kInvalidSetFilePointer);
  EXPECT_EQ(os.GetLastError(), static_cast<uint32_t>(kErrorInvalidHandle));
  os.CloseHandle(handle);
}

TEST_F(SyscallTest, TheFloppyIsSavedWhenAHandleClosesAndReloadedAtTheNextOpen) {
  NtHandle handle = Open();
  EXPECT_EQ(store->saves, 0);
  std::vector<uint8_t> data = SectorPattern(5, 1);
  uint32_t done = 0;
  ASSERT_TRUE(os.WriteFile(handle, data.data(), 512, &done));
  EXPECT_NE(SectorsOf(store->floppy, 0, 1), data);  // not saved while the handle is open
  EXPECT_TRUE(os.CloseHandle(handle));
  EXPECT_EQ(store->saves, 1);
  EXPECT_EQ(SectorsOf(store->floppy, 0, 1), data);
  EXPECT_FALSE(os.CloseHandle(handle));
  EXPECT_EQ(os.GetLastError(), static_cast<uint32_t>(kErrorInvalidHandle));

  MarkSector(store->floppy, 0, kSlotUnreadable);  // changed between sessions
  handle = Open();
  EXPECT_FALSE(os.ReadFile(handle, data.data(), 512, &done));
  EXPECT_EQ(os.GetLastError(), static_cast<uint32_t>(kErrorCrc));
  os.CloseHandle(handle);
}

TEST_F(SyscallTest, TheClockAccumulatesAcrossSessions) {
  store->floppy.clockNanoseconds = 0;
  for (int session = 1; session <= 3; ++session) {
    NtHandle handle = Open();
    os.CloseHandle(handle);
    EXPECT_EQ(store->floppy.clockNanoseconds, session * int64_t{500'000'000});  // a spin-up per open
  }
  NtHandle handle = Open();
  std::vector<uint8_t> track(18 * 512);
  uint32_t done = 0;
  ASSERT_TRUE(os.ReadFile(handle, track.data(), 18 * 512, &done));
  os.CloseHandle(handle);
  // After 2 s of spin-ups the disk is back at its index: one revolution for the side.
  EXPECT_EQ(store->floppy.clockNanoseconds, int64_t{2'000'000'000} + 200'000'000);
}

class FailingStore : public IVirtualFloppyStore {
 public:
  explicit FailingStore(VirtualFloppy initial) : floppy_(std::move(initial)) {}
  std::optional<VirtualFloppy> Load(uint32_t& error) override {
    ++loads;
    if (missing) error = kErrorFileCorrupt;
    return missing ? std::nullopt : std::optional<VirtualFloppy>(floppy_);
  }
  uint32_t Save(const VirtualFloppy& floppy) override {
    if (failSaves) return static_cast<uint32_t>(kErrorDiskFull);
    floppy_ = floppy;
    return 0;
  }
  void End(const VirtualFloppy&) override { ++ends; }
  bool missing = false, failSaves = false;
  int loads = 0, ends = 0;

 private:
  VirtualFloppy floppy_;
};

TEST(SimulatedNtSyscalls, AFailedSaveKeepsTheFloppyForTheNextClose) {
  auto store = std::make_shared<FailingStore>(PatternedFloppy({80, 9}));
  SimulatedNtSyscalls os;
  os.Attach('B', store);
  store->failSaves = true;
  NtHandle handle = os.CreateFileW("\\\\.\\B:", kGenericRead | kGenericWrite, 3, kOpenExisting, 0);
  std::vector<uint8_t> data = SectorPattern(3, 3);
  uint32_t done = 0;
  ASSERT_TRUE(os.WriteFile(handle, data.data(), 512, &done));
  EXPECT_FALSE(os.CloseHandle(handle));
  EXPECT_EQ(os.GetLastError(), static_cast<uint32_t>(kErrorDiskFull));  // the store's reason
  EXPECT_EQ(store->ends, 0);  // the session (and a file's lock) goes on until the floppy is saved

  store->failSaves = false;
  handle = os.CreateFileW("\\\\.\\B:", kGenericRead, 1, kOpenExisting, 0);
  EXPECT_EQ(store->loads, 1);  // the unsaved floppy was kept, not reloaded
  std::vector<uint8_t> back(512);
  ASSERT_TRUE(os.ReadFile(handle, back.data(), 512, &done));
  EXPECT_EQ(back, data);
  EXPECT_TRUE(os.CloseHandle(handle));

  store->missing = true;
  EXPECT_EQ(os.CreateFileW("\\\\.\\B:", kGenericRead, 1, kOpenExisting, 0), kInvalidNtHandle);
  EXPECT_EQ(os.GetLastError(), kErrorFileCorrupt);
}

TEST(SimulatedNtSyscalls, LastErrorBelongsToTheThread) {
  SimulatedNtSyscalls os;
  uint32_t seen[2] = {};
  std::thread first([&] {
    os.CreateFileW("\\\\.\\A:", kGenericRead, 1, kOpenExisting, 0);
    seen[0] = os.GetLastError();
  });
  first.join();
  std::thread second([&] {
    os.CloseHandle(0x1234);
    seen[1] = os.GetLastError();
  });
  second.join();
  os.SetFilePointer(0x1234, 0, nullptr, 7);
  EXPECT_EQ(seen[0], static_cast<uint32_t>(kErrorFileNotFound));
  EXPECT_EQ(seen[1], static_cast<uint32_t>(kErrorInvalidHandle));
  EXPECT_EQ(os.GetLastError(), static_cast<uint32_t>(kErrorInvalidHandle));
}

TEST(SimulatedNtSyscalls, FreeSpaceComesFromTheFat12VolumeOnTheDisk) {
  VirtualFloppy blank = NewVirtualFloppy({80, 18});
  std::vector<uint8_t> volume = BlankFat12Volume({80, 18});
  std::copy(volume.begin(), volume.end(), blank.data.begin());
  struct Case {
    const char* name;
    const char* root;
    std::function<void(VirtualFloppy&)> change;
    uint32_t error;
  } cases[] = {
      {"blank", "A:", [](VirtualFloppy&) {}, 0},
      {"root with backslash", "a:\\", [](VirtualFloppy&) {}, 0},
      {"other drive", "B:", [](VirtualFloppy&) {}, kErrorPathNotFound},
      {"not a root", "A:\\x", [](VirtualFloppy&) {}, kErrorPathNotFound},
      {"no disk", "A:", [](VirtualFloppy& f) { f.diskAbsent = true; }, kErrorNotReady},
      {"boot sector unreadable", "A:", [](VirtualFloppy& f) { MarkSector(f, 0, kSlotUnreadable); },
       kErrorUnrecognizedVolume},
      {"no file system", "A:", [](VirtualFloppy& f) { f.data[0] = 0; }, kErrorUnrecognizedVolume},
  };
  for (const Case& c : cases) {
    VirtualFloppy floppy = blank;
    c.change(floppy);
    SimulatedNtSyscalls os;
    os.Attach('A', std::make_shared<MemoryFloppyStore>(floppy));
    uint64_t caller = 1, total = 1, free = 1;
    EXPECT_EQ(os.GetDiskFreeSpaceExW(c.root, &caller, &total, &free), c.error == 0) << c.name;
    if (c.error == 0) {
      EXPECT_EQ(total, 1457664u);
      EXPECT_EQ(free, 1457664u);
      EXPECT_EQ(caller, 1457664u);
    } else {
      EXPECT_EQ(os.GetLastError(), c.error) << c.name;
    }
  }
}

}  // namespace

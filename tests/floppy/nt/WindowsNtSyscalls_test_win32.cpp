#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "base/File.h"
#include "floppy/FloppyDrives.h"
#include "floppy/nt/NtRecords.h"
#include "floppy/nt/WindowsNtSyscalls.h"
#include "support/FakeMessageBoxes.h"

namespace {

// The pass-through reaches the OS with its arguments in their places: an ordinary file stands in for the
// device, since Wine has no floppy drive.
TEST(WindowsNtSyscalls, PassesFileCallsThrough) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "diskelle-nt-syscalls";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::string path = (dir / "软盘.bin").string();
  std::vector<uint8_t> bytes(2048, 0x11);
  File file = File::Open(path, FileMode::Create);
  ASSERT_TRUE(file.Write(bytes.data(), bytes.size()));
  ASSERT_TRUE(file.Close());

  WindowsNtSyscalls os;
  NtHandle handle = os.CreateFileW(path, kGenericRead, kFileShareRead, kOpenExisting, 0);
  ASSERT_NE(handle, kInvalidNtHandle);
  // Opened for reading, sharing reading only: a writer is refused.
  EXPECT_EQ(os.CreateFileW(path, kGenericRead | kGenericWrite, kFileShareRead | kFileShareWrite, kOpenExisting, 0),
            kInvalidNtHandle);
  EXPECT_EQ(os.GetLastError(), 32u);
  uint32_t done = 0;
  EXPECT_FALSE(os.WriteFile(handle, bytes.data(), 512, &done));
  EXPECT_EQ(os.GetLastError(), 5u);
  EXPECT_EQ(os.SetFilePointer(handle, 1024, nullptr, kFileCurrent), 1024u);
  EXPECT_EQ(os.SetFilePointer(handle, -512, nullptr, kFileCurrent), 512u);
  std::vector<uint8_t> back(512);
  EXPECT_TRUE(os.ReadFile(handle, back.data(), 512, &done));
  EXPECT_EQ(done, 512u);
  EXPECT_EQ(back, std::vector<uint8_t>(512, 0x11));
  EXPECT_TRUE(os.CloseHandle(handle));
  EXPECT_FALSE(os.CloseHandle(handle));

  EXPECT_EQ(os.CreateFileW((dir / "none").string(), kGenericRead, kFileShareRead, kOpenExisting, 0), kInvalidNtHandle);
  EXPECT_EQ(os.GetLastError(), 2u);

  uint64_t caller = 0, total = 0, free = 0;
  EXPECT_TRUE(os.GetDiskFreeSpaceExW(dir.root_name().string(), &caller, &total, &free));
  EXPECT_GT(total, 0u);
  uint8_t reply[kDiskGeometryBytes];
  uint32_t returned = 0;
  handle = os.CreateFileW(path, kGenericRead, kFileShareRead, kOpenExisting, 0);
  EXPECT_FALSE(os.DeviceIoControl(handle, kIoctlDiskGetDriveGeometry, nullptr, 0, reply, sizeof reply, &returned));
  os.CloseHandle(handle);
  std::filesystem::remove_all(dir);
}

TEST(WindowsNtSyscalls, EnvironmentValuesArriveAsUtf8) {
  ASSERT_EQ(::_wputenv_s(L"DISKELLE_DRIVE_TEST", L"C:\\软盘\\a.vfd"), 0);
  EXPECT_EQ(ProcessEnvironment("DISKELLE_DRIVE_TEST"), std::optional<std::string>("C:\\软盘\\a.vfd"));
  ASSERT_EQ(::_wputenv_s(L"DISKELLE_DRIVE_TEST", L""), 0);
}

TEST(WindowsNtSyscalls, ADriveLetterWithoutADriveDoesNotOpen) {
  AppSettings settings;
  settings.m_fdLetter = "Q:";
  FakeMessageBoxes boxes;
  std::unique_ptr<IFloppyDeviceFactory> drives = SystemFloppyDevices();
  std::unique_ptr<IFloppyDevice> device = drives->Create({settings, 18, boxes});
  EXPECT_EQ(device->Open(DeviceAccess::Read), -1);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, "不能打开 Q:。");
}

}  // namespace

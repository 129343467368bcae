#include <gtest/gtest.h>

#include <filesystem>

#include "base/Format.h"
#include "base/Texts.h"
#include "floppy/FloppyDrives.h"
#include "support/FakeMessageBoxes.h"

namespace {

// The test machines have no floppy drive: the job says so and how to use a virtual one.
TEST(SystemFloppyDevicesPosix, WithoutADriveTheJobSaysHowToUseAVirtualOne) {
  ASSERT_FALSE(std::filesystem::exists("/dev/fd0"));
  AppSettings settings;
  FakeMessageBoxes boxes;
  std::unique_ptr<IFloppyDeviceFactory> drives = SystemFloppyDevices();
  std::unique_ptr<IFloppyDevice> device = drives->Create({settings, 18, boxes});
  EXPECT_EQ(device->Open(DeviceAccess::Read), -1);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, FormatText(kTextLinuxNoDrive, {"A:", "/dev/fd0"}));
}

// A block device named for a drive is that drive; a file, or anything else, stays a virtual floppy.
TEST(SystemFloppyDevicesPosix, OnlyBlockDevicesAreDrives) {
  std::unique_ptr<IFloppyDeviceFactory> drives = SystemFloppyDevices();
  EXPECT_FALSE(drives->IsDrive("/dev/null"));
  EXPECT_FALSE(drives->IsDrive("/nonexistent/a.vfd"));
  EXPECT_TRUE(drives->IsDrive("/dev/sdz9"));  // a USB drive not plugged in is still a drive, not a file to make
  EXPECT_FALSE(drives->IsDrive(DISKELLE_TEST_DATA));
  for (const auto& entry : std::filesystem::directory_iterator("/dev")) {
    std::error_code error;
    if (!entry.is_block_file(error)) continue;
    EXPECT_TRUE(drives->IsDrive(entry.path().string())) << entry.path();
    break;
  }
}

}  // namespace

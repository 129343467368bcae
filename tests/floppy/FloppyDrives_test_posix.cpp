#include <gtest/gtest.h>

#include "floppy/FloppyDrives.h"
#include "support/FakeMessageBoxes.h"

namespace {

TEST(SystemFloppyDevicesPosix, ThereIsNoRealDrive) {
  AppSettings settings;
  FakeMessageBoxes boxes;
  std::unique_ptr<IFloppyDeviceFactory> drives = SystemFloppyDevices();
  std::unique_ptr<IFloppyDevice> device = drives->Create({settings, 18, boxes});
  EXPECT_EQ(device->Open(DeviceAccess::Read), -1);
  EXPECT_EQ(boxes.Ids(), std::vector<int>{107});
}

}  // namespace

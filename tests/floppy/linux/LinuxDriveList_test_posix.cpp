// `diskelle --drives`: the controller's drives with their driver's name, and only those removable disks that
// hold a floppy-sized disk.
#include "floppy/linux/LinuxDriveList.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/Format.h"
#include "base/Texts.h"
#include "floppy/FloppyFixtures.h"
#include "floppy/virtual/SimulatedLinuxSyscalls.h"
#include "support/ImageTestSupport.h"

namespace {

class DriveList : public ImageFolder {
 protected:
  void Disk(const std::string& name, const char* removable, const char* sectors, const char* model) {
    std::filesystem::create_directories(Path("block/" + name + "/device"));
    WriteWhole(Path("block/" + name + "/removable"), removable);
    WriteWhole(Path("block/" + name + "/size"), sectors);
    WriteWhole(Path("block/" + name + "/device/vendor"), "TEAC    \n");
    WriteWhole(Path("block/" + name + "/device/model"), model);
  }
};

TEST_F(DriveList, ControllerDrivesAndRemovableDisksOfFloppySize) {
  SimulatedLinuxSyscalls kernel;
  VirtualFloppy fiveInch = NewVirtualFloppy({80, 15});
  kernel.Attach("/dev/fd1", std::make_shared<MemoryFloppyStore>(fiveInch), LinuxDriveKind::Controller, 1);
  Disk("sda", "0", "2880\n", "SSD\n");          // fixed, even of floppy size
  Disk("sdb", "1", "2880\n", "FD-05PUB\n");     // a USB floppy with a 1.44 MB disk
  Disk("sdc", "1", "0\n", "Card reader\n");     // nothing in it
  Disk("sdd", "1", "31116288\n", "Stick\n");    // removable, but no floppy
  Disk("sde", "1", "1440\n", "FD-05PUB\n");     // 720 KB
  std::vector<FoundDrive> drives = FindFloppyDrives(kernel, Path("block"), "/dev");
  ASSERT_EQ(drives.size(), 3u);
  EXPECT_EQ(DescribeDrive(drives[0]), FormatText(kTextDrivesController, {"B:", "/dev/fd1", "h1200"}));
  EXPECT_EQ(DescribeDrive(drives[1]), FormatText(kTextDrivesUsb, {"/dev/sdb", "TEAC FD-05PUB", 1440}));
  EXPECT_EQ(drives[2].node, "/dev/sde");
  EXPECT_EQ(drives[2].sizeKb, 720);

  EXPECT_TRUE(FindFloppyDrives(kernel, Path("no-such-folder"), "/nodev").empty());
}

}  // namespace

// The Linux device path on the simulated kernel drivers: what it asks of the kernel, the refusals of opening
// a drive, the drive held for a whole job, and USB floppies. The engine suite runs over it in tests/app.
#include "floppy/linux/LinuxFloppyDevice.h"

#include <gtest/gtest.h>

#include "base/Format.h"
#include "base/Texts.h"
#include "floppy/linux/BlockDeviceUse.h"
#include "floppy/FloppyFixtures.h"
#include "floppy/virtual/SimulatedLinuxSyscalls.h"
#include "support/FakeMessageBoxes.h"

namespace {

// Passes every call on, keeping the medium parameters and format commands as the kernel received them.
class RecordingKernel final : public ILinuxSyscalls {
 public:
  int Open(const std::string& path, int flags) override { return kernel.Open(path, flags); }
  int Ioctl(int fd, unsigned long request, void* argument) override {
    if (request == kFdSetPrm) parameters.push_back(*static_cast<LinuxFloppyStruct*>(argument));
    if (request == kFdRawCmd) {
      const auto& command = *static_cast<LinuxFloppyRawCmd*>(argument);
      const auto* fields = static_cast<const uint8_t*>(command.data);
      formats.push_back({command, std::vector<uint8_t>(fields, fields + command.length)});
    }
    return kernel.Ioctl(fd, request, argument);
  }
  int64_t Pread(int fd, void* buffer, std::size_t bytes, int64_t offset) override {
    return kernel.Pread(fd, buffer, bytes, offset);
  }
  int64_t Pwrite(int fd, const void* buffer, std::size_t bytes, int64_t offset) override {
    return kernel.Pwrite(fd, buffer, bytes, offset);
  }
  int Fsync(int fd) override { return kernel.Fsync(fd); }
  int Close(int fd) override { return kernel.Close(fd); }
  int Errno() override { return kernel.Errno(); }
  LinuxNode Stat(const std::string& path) override { return kernel.Stat(path); }
  std::string ReadSystemText(const std::string& path) override { return kernel.ReadSystemText(path); }
  bool Privileged() override { return kernel.Privileged(); }

  SimulatedLinuxSyscalls kernel;
  std::vector<LinuxFloppyStruct> parameters;
  std::vector<std::pair<LinuxFloppyRawCmd, std::vector<uint8_t>>> formats;
};

struct LinuxDevice : ::testing::Test {
  std::shared_ptr<MemoryFloppyStore> Insert(const std::string& path, VirtualFloppy floppy, LinuxDriveKind kind,
                                            unsigned minor = 0) {
    auto store = std::make_shared<MemoryFloppyStore>(std::move(floppy));
    kernel->kernel.Attach(path, store, kind, minor);
    return store;
  }
  std::unique_ptr<IFloppyDevice> Device() { return drives.Create({settings, 18, boxes}); }

  AppSettings settings;
  FakeMessageBoxes boxes;
  RecordingKernel* kernel = new RecordingKernel;
  LinuxFloppyDeviceFactory drives{std::unique_ptr<ILinuxSyscalls>(kernel)};
};

TEST_F(LinuxDevice, FormatsASideWithTheMediumParametersAndTheSectorIdsOfTheNtPath) {
  struct Case {
    FloppyGeometry image;
    unsigned minor;
    const char* name;
    int physicalTrack;  // of track 5
  } cases[] = {{{80, 21}, 0, "H1680", 5}, {{80, 10}, 1, "D800", 5}, {{40, 9}, 1, "h360", 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = "/dev/fd" + std::to_string(c.minor);
    settings.m_fdLetter = c.minor == 0 ? "A:" : "B:";
    auto store = Insert(path, NewVirtualFloppy(c.image), LinuxDriveKind::Controller, c.minor);
    std::vector<uint32_t> flags(static_cast<std::size_t>(c.image.LinearSector(5, 1, 3)) + 1);
    flags.back() = 1;
    kernel->parameters.clear();
    kernel->formats.clear();
    auto device = Device();
    ASSERT_EQ(device->Open(DeviceAccess::ReadWrite), 0);
    ASSERT_EQ(device->SetMediaType(c.image), 0);
    EXPECT_EQ(device->FormatTrack(5, 1, c.image, flags), -2);
    EXPECT_EQ(device->FormatTrack(5, 0, c.image, flags), 0);
    ASSERT_EQ(device->Close(), 0);
    device.reset();

    ASSERT_EQ(kernel->parameters.size(), 1u);
    EXPECT_STREQ(kernel->parameters[0].name, c.name);
    EXPECT_EQ(kernel->parameters[0].sect, static_cast<unsigned>(c.image.sectorsPerTrack));
    ASSERT_EQ(kernel->formats.size(), 2u);
    const auto& [command, fields] = kernel->formats[0];
    const FloppyFormat* format = FindFloppyFormat(c.image);
    const unsigned char expected[] = {0x4D, static_cast<unsigned char>(4 | c.minor), 2,
                                      static_cast<unsigned char>(c.image.sectorsPerTrack),
                                      static_cast<unsigned char>(format->gapLength), 0xF6};
    EXPECT_EQ(std::vector<unsigned char>(command.cmd, command.cmd + command.cmdCount),
              std::vector<unsigned char>(std::begin(expected), std::end(expected)));
    EXPECT_EQ(command.track, c.physicalTrack);
    std::vector<uint16_t> ids = FormatSectorIds(c.image);
    for (uint16_t& id : ids) id = id == 4 ? 0 : id;  // the flagged sector's ID
    for (std::size_t i = 0; i < ids.size(); ++i) {
      EXPECT_EQ(std::vector<uint8_t>(fields.begin() + 4 * i, fields.begin() + 4 * i + 4),
                (std::vector<uint8_t>{5, 1, static_cast<uint8_t>(ids[i]), 2}));
    }
    EXPECT_EQ(store->floppy.ReadableSector(c.image.LinearSector(5, 1, 3)), nullptr);
    EXPECT_NE(store->floppy.ReadableSector(c.image.LinearSector(5, 1, 4)), nullptr);
    EXPECT_TRUE(boxes.Boxes().empty());
  }
}

TEST_F(LinuxDevice, OpeningRefusalsSayWhatToDo) {
  // A group is named only when joining it would let the user read and write the node.
  struct Case {
    int error;
    std::string group;
    unsigned mode;
    bool root;
    std::string text;
  } cases[] = {
      {kLinuxEAcces, "floppy", 0660, false, FormatText(kTextLinuxNoPermission, {"A:", "/dev/fd0", "floppy", "floppy"})},
      {kLinuxEPerm, "disk", 0664, false, FormatText(kTextLinuxNoPermission, {"A:", "/dev/fd0", "disk", "disk"})},
      {kLinuxEAcces, "root", 0660, false, FormatText(kTextLinuxNoPermissionOwner, {"A:", "/dev/fd0", "owner", "owner"})},
      {kLinuxEAcces, "disk", 0640, false, FormatText(kTextLinuxNoPermissionOwner, {"A:", "/dev/fd0", "owner", "owner"})},
      {kLinuxEAcces, "disk", 0660, true, FormatText(kTextLinuxBlocked, {"A:", "/dev/fd0"})},
  };
  for (const Case& c : cases) {
    kernel->kernel.RefuseOpen("/dev/fd0", c.error, c.group, c.mode, "owner");
    kernel->kernel.RunAsRoot(c.root);
    EXPECT_EQ(Device()->Open(DeviceAccess::Read), -1);
    ASSERT_EQ(boxes.Boxes().size(), 1u) << c.group;
    EXPECT_EQ(boxes.Boxes()[0].text, c.text) << c.group << " " << c.mode;
    boxes.Clear();
  }
  kernel->kernel.RunAsRoot(false);

  settings.m_fdLetter = "B:";  // no node at all
  EXPECT_EQ(Device()->Open(DeviceAccess::Read), -1);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, FormatText(kTextLinuxNoDrive, {"B:", "/dev/fd1"}));
  EXPECT_NE(boxes.Boxes()[0].text.find("$DISKELLE_DRIVE_A"), std::string::npos);
}

// A path named for a letter is a drive when it is a block device, or a node under /dev not plugged in; any
// other path is a virtual floppy file.
TEST_F(LinuxDevice, BlockDevicesAndUnpluggedNodesAreDrives) {
  Insert("/dev/sdb", PatternedFloppy({80, 18}), LinuxDriveKind::Usb);
  const std::pair<const char*, bool> cases[] = {
      {"/dev/sdb", true}, {"/dev/sdc", true}, {"/home/user/sdb", false}, {"disk.vfd", false}};
  for (const auto& [path, drive] : cases) EXPECT_EQ(drives.IsDrive(path), drive) << path;
}

TEST_F(LinuxDevice, ASettingNamesAnotherNodeForALetter) {
  Insert("/dev/sdb", PatternedFloppy({80, 18}), LinuxDriveKind::Usb);
  settings.m_fdLetter = "B:";
  settings.m_driveBNode = "/dev/sdb";
  FloppyGeometry disk;
  auto device = Device();
  ASSERT_EQ(device->Open(DeviceAccess::Read), 0);
  ASSERT_EQ(device->GetDiskGeometry(disk), 0);
  EXPECT_EQ(disk, (FloppyGeometry{80, 18}));
  device.reset();

  settings.m_driveBNode = "/dev/sdc";  // unplugged
  EXPECT_EQ(Device()->Open(DeviceAccess::Read), -1);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, FormatText(kTextLinuxNoDrive, {"B:", "/dev/sdc"}));
}

// A disk taken out or changed while a job holds the drive stops the job with one message, also where a
// failing sector would otherwise pass for a bad one (emergency reading, recreating bad sectors).
TEST_F(LinuxDevice, ADiskChangedDuringAJobStopsIt) {
  settings.m_emergency = 1;
  settings.m_formatDisk = 1;
  settings.m_recreateBad = 1;
  std::string changed = FormatText(kTextDiskChangedDuringJob, {"A:"});
  std::vector<uint8_t> side(18 * kSectorBytes);
  uint32_t transferred = 0;
  for (DeviceAccess access : {DeviceAccess::Read, DeviceAccess::ReadWrite}) {
    boxes.Clear();
    Insert("/dev/fd0", PatternedFloppy({80, 18}), LinuxDriveKind::Controller);
    auto first = Device();
    ASSERT_EQ(first->Open(DeviceAccess::Read), 0);
    ASSERT_EQ(first->Read(side.data(), static_cast<uint32_t>(side.size()), transferred, 0, 18), 0);
    kernel->kernel.ChangeDisk("/dev/fd0", std::make_shared<MemoryFloppyStore>(PatternedFloppy({80, 9})));
    int result = access == DeviceAccess::Read
                     ? first->Read(side.data(), static_cast<uint32_t>(side.size()), transferred, 18, 18)
                     : first->Write(side.data(), static_cast<uint32_t>(side.size()), transferred, 18, 18);
    EXPECT_EQ(result, kDiskChangedDuringJob);
    // The job's next phase, on the node it holds or on one opened anew for writing, finds the change too.
    auto next = Device();
    first.reset();
    EXPECT_EQ(next->Open(access), -1);
    std::vector<std::string> texts;
    for (const auto& box : boxes.Boxes()) texts.push_back(box.text);
    EXPECT_EQ(texts, (std::vector<std::string>{changed, changed}));
  }
  EXPECT_NE(changed.find("被取出或更换"), std::string::npos);
}

TEST_F(LinuxDevice, AJobHoldsTheDriveFromItsFirstPhaseToItsEnd) {
  auto store = Insert("/dev/fd0", PatternedFloppy({80, 18}), LinuxDriveKind::Controller);
  auto geometryPhase = Device();
  ASSERT_EQ(geometryPhase->Open(DeviceAccess::Read), 0);
  FloppyGeometry disk;
  ASSERT_EQ(geometryPhase->GetDiskGeometry(disk), 0);
  EXPECT_EQ(disk.sectorsPerTrack, 18);
  ASSERT_EQ(geometryPhase->Close(), 0);
  auto dataPhase = Device();  // made while the first lives, as a job replaces its device
  geometryPhase.reset();
  EXPECT_EQ(kernel->kernel.Open("/dev/fd0", kLinuxOpenReadWrite | kLinuxOpenExclusive), -1);
  EXPECT_EQ(kernel->kernel.Errno(), kLinuxEBusy);
  ASSERT_EQ(dataPhase->Open(DeviceAccess::Read), 0);
  std::vector<uint8_t> side(18 * kSectorBytes);
  uint32_t transferred = 0;
  ASSERT_EQ(dataPhase->Read(side.data(), static_cast<uint32_t>(side.size()), transferred, 0, 18), 0);
  EXPECT_EQ(side, SectorsOf(store->floppy, 0, 18));

  // Once the job ends, another program may have the drive; a job then is told the drive is in use.
  dataPhase.reset();
  int fd = kernel->kernel.Open("/dev/fd0", kLinuxOpenReadOnly | kLinuxOpenExclusive);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(Device()->Open(DeviceAccess::Read), -1);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, FormatText(kTextLinuxDriveBusy, {"A:", "/dev/fd0"}));
  EXPECT_EQ(kernel->kernel.Close(fd), 0);
}

TEST_F(LinuxDevice, UsbFloppiesAreReadAndWrittenByCapacityAndNeverFormatted) {
  auto store = Insert("/dev/fd0", PatternedFloppy({80, 18}), LinuxDriveKind::Usb);
  auto device = Device();
  ASSERT_EQ(device->Open(DeviceAccess::ReadWrite), 0);
  FloppyGeometry disk;
  ASSERT_EQ(device->GetDiskGeometry(disk), 0);
  EXPECT_EQ(disk.tracks, 80);
  EXPECT_EQ(disk.sectorsPerTrack, 18);
  std::vector<uint8_t> sector = SectorPattern(1, 9);
  uint32_t transferred = 0;
  device->MovePointer(kSectorBytes);
  ASSERT_EQ(device->Write(sector.data(), kSectorBytes, transferred, 1, 1), 0);
  EXPECT_EQ(device->SetMediaType({80, 18}), 0);
  EXPECT_EQ(device->FormatTrack(0, 0, {80, 18}, {}), -1);
  EXPECT_EQ(boxes.Ids(), std::vector<int>{57721});
  ASSERT_EQ(device->Close(), 0);
  device.reset();
  EXPECT_EQ(SectorsOf(store->floppy, 1, 1), sector);

  boxes.Clear();
  VirtualFloppy locked = PatternedFloppy({80, 18});
  locked.writeProtected = true;
  Insert("/dev/fd0", locked, LinuxDriveKind::Usb);
  EXPECT_EQ(Device()->Open(DeviceAccess::ReadWrite), -1);
  EXPECT_EQ(boxes.Ids(), std::vector<int>{57668});

  // A read-only block device opens for writing and refuses the writes (EPERM): write-protected, too.
  boxes.Clear();
  auto readOnly = Insert("/dev/fd0", PatternedFloppy({80, 18}), LinuxDriveKind::Usb);
  kernel->kernel.MakeReadOnly("/dev/fd0");
  device = Device();
  ASSERT_EQ(device->Open(DeviceAccess::ReadWrite), 0);
  EXPECT_EQ(device->Write(sector.data(), kSectorBytes, transferred, 0, 1), -1);
  EXPECT_EQ(boxes.Ids(), std::vector<int>{57668});
  device.reset();
  EXPECT_EQ(SectorsOf(readOnly->floppy, 0, 1), SectorsOf(PatternedFloppy({80, 18}), 0, 1));
}

}  // namespace

namespace {

// A node whose capacity is no floppy format, or that holds partitions or a mounted file system, is refused
// before any request reaches it (the seam sees no read or write, the disk stays as it was).
TEST_F(LinuxDevice, BlockDevicesThatAreNoFloppyAreRefusedUntouched) {
  const std::string partitions = "major minor  #blocks  name\n\n   8        0      1440 sdb\n   8       16   62914560 sdc\n";
  struct Case {
    const char* name;
    uint64_t capacity;
    std::string partitions;
    std::string mounts;
    std::vector<int> ids;  // 0: the not-a-floppy message, which has no number
  } cases[] = {
      {"a 64 MiB stick", 64u << 20, partitions, "", {57667}},
      {"one sector more than 1.44 MB", 1474560 + 512, partitions, "", {57667}},
      {"partitioned", 1474560, partitions + "   8        1       1439 sdb1\n", "", {0}},
      {"mounted", 1474560, partitions, "36 25 8:0 / /media/usb rw,relatime - vfat /dev/sdb rw\n", {0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    boxes.Clear();
    auto store = Insert("/dev/sdb", PatternedFloppy({80, 18}), LinuxDriveKind::Usb);
    kernel->kernel.SetCapacity("/dev/sdb", c.capacity);
    kernel->kernel.SetSystemText("/proc/partitions", c.partitions);
    kernel->kernel.SetSystemText("/proc/self/mountinfo", c.mounts);
    settings.m_driveANode = "/dev/sdb";
    VirtualFloppy before = store->floppy;
    auto device = Device();
    FloppyGeometry disk;
    bool refused = device->Open(DeviceAccess::ReadWrite) != 0 || device->GetDiskGeometry(disk) != 0;
    EXPECT_TRUE(refused);
    EXPECT_EQ(boxes.Ids(), c.ids);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    if (c.ids[0] == 0) {
      EXPECT_EQ(boxes.Boxes()[0].text, FormatText(kTextLinuxNotAFloppy, {"A:", "/dev/sdb"}));
    }
    device.reset();
    EXPECT_EQ(SectorsOf(store->floppy, 0, 36), SectorsOf(before, 0, 36));
  }
  // sdb10 is no partition of sdb1, nor loop10 of loop1: such neighbours do not refuse a floppy.
  EXPECT_FALSE(BlockDeviceInUse("7 1 1440 loop1\n7 10 9 loop10\n8 17 1440 sdb1\n8 26 9 sdb10\n", "", 7, 1));
  EXPECT_FALSE(BlockDeviceInUse("7 1 1440 loop1\n7 10 9 loop10\n8 17 1440 sdb1\n8 26 9 sdb10\n", "", 8, 17));
}

}  // namespace

#pragma once
// The device operations on Linux: a drive's device node (/dev/fd0, or a USB floppy's SCSI disk node),
// through ILinuxSyscalls. Controller drives take the medium parameters of each format and are formatted a
// side at a time with the controller's own format command (so the sector IDs, interleave and recreated bad
// sectors are exactly those of the NT path); a USB floppy is a plain block device that cannot format here.
// The node is opened exclusively (O_EXCL: no mount, no other job) and stays open from the first phase of a
// job to its end, so that nobody changes the disk between the phases; data moves with O_DIRECT, so that
// what is verified was read from the disk, not from the kernel's cache.

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "base/Environment.h"
#include "floppy/FloppyDevice.h"
#include "floppy/linux/LinuxSyscalls.h"

// The medium parameters the kernel's own table gives each format; fiveInchHighDensityDrive picks the
// double-stepped 360 KB entry of a 1.2 MB drive. nullopt for a geometry outside the format table.
std::optional<LinuxFloppyStruct> LinuxMediumParameters(const FloppyGeometry& geometry, bool fiveInchHighDensityDrive);

// A node opened by the devices of one job: the devices of its phases share it, and the last one closes it.
struct LinuxOpenNode {
  explicit LinuxOpenNode(ILinuxSyscalls& system) : os(system) {}
  ~LinuxOpenNode() {
    if (fd >= 0) os.Close(fd);  // flushed at the end of each phase; nothing of the disk rides on this result
  }
  LinuxOpenNode(const LinuxOpenNode&) = delete;
  LinuxOpenNode& operator=(const LinuxOpenNode&) = delete;

  ILinuxSyscalls& os;
  int fd = -1;
  bool writable = false;
  bool controller = false;  // the kernel's floppy driver answers; else a plain block device
  bool fiveInchHighDensity = false;
  unsigned unit = 0;
  std::optional<FloppyGeometry> disk;
  std::optional<LinuxFloppyDriveStruct> start;  // the controller drive's state when the job began
  std::optional<LinuxFloppyStruct> medium;  // set for formatting
};

class LinuxFloppyDevice final : public IFloppyDevice {
 public:
  // path is the device node; the drive's name in messages is the FDLetter setting. node is shared with the
  // job's other devices.
  LinuxFloppyDevice(std::shared_ptr<LinuxOpenNode> node, std::string path, const DeviceContext& context)
      : node_(std::move(node)), os_(node_->os), path_(std::move(path)), context_(context) {}
  ~LinuxFloppyDevice() override { Close(); }
  LinuxFloppyDevice(const LinuxFloppyDevice&) = delete;
  LinuxFloppyDevice& operator=(const LinuxFloppyDevice&) = delete;

  int Open(DeviceAccess access) override;
  int GetDiskGeometry(FloppyGeometry& disk) override;
  int SetMediaType(const FloppyGeometry& image) override;
  int FormatTrack(int track, int head, const FloppyGeometry& image, const std::vector<uint32_t>& badFlags) override;
  int Read(void* buffer, uint32_t bytes, uint32_t& transferred, int64_t startSector, int count) override;
  int Write(const void* buffer, uint32_t bytes, uint32_t& transferred, int64_t startSector, int count) override;
  int Verify(uint32_t bytes, int64_t startSector, int count) override;
  void MovePointer(int32_t distance) override { position_ += distance; }
  // Ends the phase: what was written is flushed; the node stays open for the job's next phase.
  int Close() override;
  VolumeSpace QueryVolumeSpace() override;

  static constexpr int kGeometryAttempts = 5;

 private:
  void ShowOpenFailure(int error);
  // true after the message when the node holds partitions or a mounted file system.
  bool HoldsFileSystems();
  // Whether the disk was taken out or changed since the job began (controller drives tell; USB ones do not),
  // after the message that says so.
  bool DiskChanged();
  int ReadAt(int64_t offset, uint8_t* out, uint32_t bytes);  // 0, or the errno

  std::shared_ptr<LinuxOpenNode> node_;
  ILinuxSyscalls& os_;
  std::string path_;
  DeviceContext context_;
  bool phaseOpen_ = false;
  bool wrote_ = false;
  int64_t position_ = 0;
};

// Letter 'A' reaches /dev/fd0 and 'B' /dev/fd1 unless a block device is named for it (floppy/DriveNode.h).
// While a device of a drive lives, the next one made for it shares its open node (a job replaces its device
// between phases).
class LinuxFloppyDeviceFactory final : public IFloppyDeviceFactory {
 public:
  explicit LinuxFloppyDeviceFactory(
      std::unique_ptr<ILinuxSyscalls> os,
      EnvironmentLookup environment = [](const std::string&) { return std::optional<std::string>(); })
      : os_(std::move(os)), environment_(std::move(environment)) {}
  std::unique_ptr<IFloppyDevice> Create(const DeviceContext& context) override;
  // A block device, or a missing node under /dev: a drive that is not plugged in, not a virtual floppy to make.
  bool IsDrive(const std::string& path) const override;

 private:
  std::unique_ptr<ILinuxSyscalls> os_;
  EnvironmentLookup environment_;
  std::mutex mutex_;
  std::map<std::string, std::weak_ptr<LinuxOpenNode>> nodes_;
};

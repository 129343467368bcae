#pragma once
// Which drive a job reaches. The path named for a letter (floppy/DriveNode.h: environment, then settings) is
// a virtual floppy file (docs/virtual-floppy.md) that stands in for that drive, on every system, or on Linux
// a block device that is that drive (docs/linux-drives.md); a letter without a path reaches the system's drive.

#include <chrono>
#include <map>
#include <mutex>
#include <memory>
#include <optional>
#include <string>

#include "base/Environment.h"
#include "floppy/FloppyDevice.h"
#include "floppy/virtual/SimulatedNtSyscalls.h"
#include "floppy/vwin32/Vwin32Syscalls.h"

// The path that the environment names for a drive letter ('A' or 'B'), if any: on Windows, where no path is a
// drive, the virtual floppy file that stands in for it.
std::optional<std::string> VirtualDriveFile(const EnvironmentLookup& environment, char letter);

// $DISKELLE_DRIVE_DELAY_MS, a whole number from 1 to 10000: every read, write and format request of a virtual
// drive waits that long, so that a job can be watched and cancelled. nullopt when unset or not such a number.
std::optional<std::chrono::milliseconds> VirtualDriveDelay(const EnvironmentLookup& environment);

// Which device path the operations take: the platform decides, once at start-up.
enum class DevicePath { Nt, Windows9x };
inline DevicePath DevicePathFor(uint32_t ntMajorVersion) {
  return ntMajorVersion == 0 ? DevicePath::Windows9x : DevicePath::Nt;
}

class FloppyDrives final : public IFloppyDeviceFactory {
 public:
  // Virtual drives are reached through the same path as the system's.
  FloppyDrives(const EnvironmentLookup& environment, std::unique_ptr<IFloppyDeviceFactory> systemDrives,
               DevicePath path = DevicePath::Nt);
  // The letter is the first character of the FDLetter setting. The device must not outlive this object.
  std::unique_ptr<IFloppyDevice> Create(const DeviceContext& context) override;

 private:
  EnvironmentLookup environment_;
  std::mutex mutex_;
  std::map<char, std::string> attached_;  // the virtual floppy file behind each attached letter
  SimulatedNtSyscalls virtualDrives_;
  std::unique_ptr<INtSyscalls> delayedDrives_;  // over virtualDrives_, when a delay is asked for
  std::unique_ptr<IVwin32Syscalls> vwin32_;     // over the virtual drives on Windows 9x
  std::unique_ptr<IFloppyDeviceFactory> systemDrives_;
};

// The system's own floppy drives: the OS on Windows (through VWIN32 on Windows 9x), none on POSIX. The
// front ends put the drives of the process environment over them:
// FloppyDrives(ProcessEnvironment, SystemFloppyDevices(path), path).
std::unique_ptr<IFloppyDeviceFactory> SystemFloppyDevices(DevicePath path = DevicePath::Nt);

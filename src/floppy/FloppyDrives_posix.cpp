#include "floppy/FloppyDrives.h"
#include "floppy/LinuxFloppyDevice.h"

bool IsDriveNode(const std::string& path) { return LinuxKernelSyscalls()->Stat(path).blockDevice; }

// The kernel's floppy nodes, or the block devices that $DISKELLE_DRIVE_A / $DISKELLE_DRIVE_B name.
std::unique_ptr<IFloppyDeviceFactory> SystemFloppyDevices(DevicePath) {
  auto node = [](char letter, const char* standard) {
    std::optional<std::string> path = ProcessEnvironment(std::string("DISKELLE_DRIVE_") + letter);
    return path && IsDriveNode(*path) ? *path : std::string(standard);
  };
  return std::make_unique<LinuxFloppyDeviceFactory>(LinuxKernelSyscalls(), node('A', "/dev/fd0"),
                                                    node('B', "/dev/fd1"));
}

#include "floppy/FloppyDrives.h"
#include "floppy/linux/LinuxFloppyDevice.h"

// A missing node under /dev is a drive that is not plugged in, not a virtual floppy to be made.
bool IsDriveNode(const std::string& path) {
  LinuxNode node = LinuxKernelSyscalls()->Stat(path);
  return node.blockDevice || (!node.exists && path.starts_with("/dev/"));
}

// The kernel's floppy nodes, or the block devices named for a letter.
std::unique_ptr<IFloppyDeviceFactory> SystemFloppyDevices(DevicePath) {
  return std::make_unique<LinuxFloppyDeviceFactory>(LinuxKernelSyscalls(), ProcessEnvironment);
}

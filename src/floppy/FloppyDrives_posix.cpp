#include "floppy/FloppyDrives.h"
#include "floppy/linux/LinuxFloppyDevice.h"

// The kernel's floppy nodes, or the block devices named for a letter.
std::unique_ptr<IFloppyDeviceFactory> SystemFloppyDevices(DevicePath) {
  return std::make_unique<LinuxFloppyDeviceFactory>(LinuxKernelSyscalls(), ProcessEnvironment);
}

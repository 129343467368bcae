#include "floppy/FloppyDrives.h"
#include "floppy/NtFloppyDevice.h"
#include "floppy/WindowsNtSyscalls.h"

// The Windows 9x device path will take the place of the NT one here once the platform is told apart.
std::unique_ptr<IFloppyDeviceFactory> SystemFloppyDevices() {
  return std::make_unique<NtFloppyDeviceFactory>(std::make_unique<WindowsNtSyscalls>());
}

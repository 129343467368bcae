#include "floppy/AbsentNtSyscalls.h"
#include "floppy/FloppyDrives.h"
#include "floppy/NtFloppyDevice.h"

std::unique_ptr<IFloppyDeviceFactory> SystemFloppyDevices(DevicePath) {
  return std::make_unique<NtFloppyDeviceFactory>(std::make_unique<AbsentNtSyscalls>());
}

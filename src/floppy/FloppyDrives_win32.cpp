#include "floppy/FloppyDrives.h"
#include "floppy/nt/NtFloppyDevice.h"
#include "floppy/vwin32/Vwin32FloppyDevice.h"
#include "floppy/nt/WindowsNtSyscalls.h"
#include "floppy/vwin32/WindowsVwin32Syscalls.h"

std::unique_ptr<IFloppyDeviceFactory> SystemFloppyDevices(DevicePath path) {
  if (path == DevicePath::Windows9x) {
    return std::make_unique<Vwin32FloppyDeviceFactory>(std::make_unique<WindowsVwin32Syscalls>());
  }
  return std::make_unique<NtFloppyDeviceFactory>(std::make_unique<WindowsNtSyscalls>());
}

#include <cstdlib>

#include "floppy/AbsentNtSyscalls.h"
#include "floppy/FloppyDrives.h"
#include "floppy/NtFloppyDevice.h"

std::optional<std::string> ProcessEnvironment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

std::unique_ptr<IFloppyDeviceFactory> SystemFloppyDevices() {
  return std::make_unique<NtFloppyDeviceFactory>(std::make_unique<AbsentNtSyscalls>());
}

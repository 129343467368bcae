#include "VirtualDrives.h"

#include <cstdio>
#include <cstdlib>

#include "StderrMessageBoxes.h"
#include "floppy/FloppyDrives.h"
#include "floppy/nt/NtFloppyDevice.h"
#include "floppy/virtual/VirtualFloppyFile.h"
#include "floppy/virtual/VirtualFloppyTool.h"

void RunVfloppy(const std::vector<std::string>& arguments) {
  std::string out, err;
  if (RunVirtualFloppyTool(arguments, out, err) != kToolDone) {
    std::fprintf(stderr, "vfloppy: %s", err.c_str());
    std::exit(1);
  }
}

VirtualFloppy LoadFloppyOrExit(const std::string& path) {
  VirtualFloppyLoad load = LoadVirtualFloppy(path);
  if (!load.floppy) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), load.problem.c_str());
    std::exit(1);
  }
  return std::move(*load.floppy);
}

MemoryDrive::MemoryDrive(VirtualFloppy floppy) : store(std::make_shared<MemoryFloppyStore>(std::move(floppy))) {
  auto os = std::make_unique<SimulatedNtSyscalls>();
  os->Attach('A', store);
  devices = std::make_unique<NtFloppyDeviceFactory>(std::move(os));
}

std::unique_ptr<IFloppyDeviceFactory> FileDrive(const std::string& floppyPath) {
  auto environment = [floppyPath](const std::string& name) -> std::optional<std::string> {
    if (name == "DISKELLE_DRIVE_A") return floppyPath;
    return std::nullopt;
  };
  return std::make_unique<FloppyDrives>(environment, SystemFloppyDevices());
}

int HoldDrive(IFloppyDeviceFactory& devices, int sessions) {
  AppSettings settings;
  StderrMessageBoxes boxes;
  for (int i = 0; i < sessions; ++i) {
    std::unique_ptr<IFloppyDevice> device = devices.Create({settings, 0, boxes});
    if (device->Open(DeviceAccess::Read) != 0) return -1;
    device->Close();
  }
  return 0;
}

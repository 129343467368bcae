#pragma once
// Drive A: of the benchmarks: a virtual floppy made by the vfloppy tool's own code, reached through the NT
// path over the simulated drive, as the program reaches it.

#include <memory>
#include <string>
#include <vector>

#include "floppy/FloppyDevice.h"
#include "floppy/virtual/SimulatedNtSyscalls.h"
#include "settings/Settings.h"

// Runs `vfloppy <arguments>`; exits the benchmark when the tool fails.
void RunVfloppy(const std::vector<std::string>& arguments);
// The floppy a virtual floppy file holds; exits the benchmark when it cannot be read.
VirtualFloppy LoadFloppyOrExit(const std::string& path);

// Drive A: holding a floppy in memory: the job's sessions load and save no file.
struct MemoryDrive {
  explicit MemoryDrive(VirtualFloppy floppy);
  int64_t ClockNanoseconds() const { return store->floppy.clockNanoseconds; }

  std::shared_ptr<MemoryFloppyStore> store;
  std::unique_ptr<IFloppyDeviceFactory> devices;
};

// Drive A: as $DISKELLE_DRIVE_A makes it in the program: a virtual floppy file.
std::unique_ptr<IFloppyDeviceFactory> FileDrive(const std::string& floppyPath);

// Opens and closes the drive sessions times, as a job does, without transferring anything: what the drive
// alone costs (loading and saving the medium). 0, or -1 when the drive does not open.
int HoldDrive(IFloppyDeviceFactory& devices, int sessions);

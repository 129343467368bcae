#pragma once
// The floppy drives a Linux system shows: the floppy controller's drives (/dev/fd0, /dev/fd1) with the
// format their driver names them by, and removable SCSI disks that hold a disk of a floppy format (USB floppy
// drives) with their model.

#include <cstdint>
#include <string>
#include <vector>

#include "floppy/linux/LinuxSyscalls.h"

struct FoundDrive {
  std::string node;     // /dev/fd0, /dev/sdb
  std::string letter;   // "A:" or "B:" for the controller's drives
  std::string type;     // controller: the driver's name of the drive (H1440); USB: vendor and model
  int32_t sizeKb = 0;   // USB: the format of the disk it holds
};

// sysBlock is /sys/block and dev /dev on a real system.
std::vector<FoundDrive> FindFloppyDrives(ILinuxSyscalls& os, const std::string& sysBlock, const std::string& dev);

// One line of `diskelle --drives` for a drive.
std::string DescribeDrive(const FoundDrive& drive);

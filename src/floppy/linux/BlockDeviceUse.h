#pragma once
// Whether a block device holds something that is not a floppy's: partitions, or a mounted file system
// (a mounted partition is refused as a partition). Told from the kernel's own lists, /proc/partitions and
// /proc/self/mountinfo, so that a hard disk or a stick named by mistake is refused before any request.

#include <string>
#include <string_view>

// partitions and mountinfo are the texts of those two files; major and minor are the device's numbers.
bool BlockDeviceInUse(std::string_view partitions, std::string_view mountinfo, unsigned major, unsigned minor);

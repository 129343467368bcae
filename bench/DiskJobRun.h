#pragma once
// One track-engine job run to its end as the program runs it: on the job's worker thread, the caller
// waiting for the completion event.

#include <cstdint>
#include <string>
#include <vector>

#include "floppy/FloppyDevice.h"
#include "settings/Settings.h"

enum class DiskJobKind { Read, Write };

// 0, or -1 after the job's message on stderr. badSectorOffsets, when given, receives the job's list. resume:
// an emergency read that goes on with the image at imagePath and its map.
int RunDiskJob(DiskJobKind kind, const AppSettings& settings, IFloppyDeviceFactory& devices,
               const std::string& imagePath, std::vector<uint32_t>* badSectorOffsets = nullptr, bool resume = false);

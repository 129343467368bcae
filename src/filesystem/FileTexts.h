#pragma once
// What the file listing says, in the program's words, for the terminal and the files window alike.

#include <string>

#include "filesystem/FatVolume.h"

// "ok", "damaged N/M" or "unknown".
std::string StateText(const FatEntry& entry);
// The name of an area of the disk ("引导扇区", "文件", ...).
const char* AreaName(DiskArea area);
// "<area>: N 个坏扇区".
std::string AreaHitText(const AreaHit& hit);
// One warning about the volume's structure, naming the entry's path as it is (not made safe for a terminal).
std::string FindingText(const FatFinding& finding);

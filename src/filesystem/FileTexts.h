#pragma once
// What the file listing says, in the program's words, for the terminal and the files window alike.

#include <string>

#include "base/MessageBoxes.h"
#include "filesystem/FatNamesOut.h"
#include "filesystem/FatVolume.h"
#include "filesystem/FatWriter.h"

// "ok", "damaged N/M" or "unknown".
std::string StateText(const FatEntry& entry);
// The name of an area of the disk ("引导扇区", "文件", ...).
const char* AreaName(DiskArea area);
// "<area>: N 个坏扇区".
std::string AreaHitText(const AreaHit& hit);
// One warning about the volume's structure, naming the entry's path as it is (not made safe for a terminal).
std::string FindingText(const FatFinding& finding);

// Why FAT cannot hold a name ("含有控制字符", ...).
const char* NameFaultText(NameFault fault);
// The message of a change refused at path (on the disk; for BadName the name's own path): folder says whether
// a folder was to go there (KindDiffers then names the file in the way).
void ShowChangeRefused(IMessageBoxes& boxes, FatChange change, const std::string& path, bool folder = false);
